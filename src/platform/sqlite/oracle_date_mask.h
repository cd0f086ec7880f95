// Reading of a date written with an Oracle format mask, as TO_DATE does it:
// TO_DATE('2001/10/13 10:20:00', 'yyyy/mm/dd hh24:mi:ss').
//
// Mask elements, without case: YYYY, RRRR, YY, RR, MM, DD, HH24, HH12, HH,
// MI, SS. Any other character of the mask is a separator: it matches one
// punctuation character or blank of the text, or nothing when the text has
// a digit there. Numbers may be written with fewer digits ("2001/1/5").
// As in Oracle, the text may stop before the mask does; the elements not
// reached keep their defaults (the caller passes the first day of the
// current month at midnight). Two-digit years YY fall in 2000-2099; RR in
// 1950-2049.
#pragma once

#include <optional>
#include <string_view>

#include "tpl/datetime.h"

namespace tpl::db::sqlite {

// Nothing when the text does not follow the mask, the mask holds an element
// not listed above, or the date does not exist.
std::optional<DateParts> ReadOracleDate(std::string_view text, std::string_view mask,
                                        const DateParts& defaults);

}  // namespace tpl::db::sqlite

// The text form in which the embedded database keeps dates and times,
// 'YYYY/MM/DD HH:MM:SS'. It sorts and compares correctly as text, and it is
// the form of the date literals the library itself writes ('2001/10/13',
// '2001/10/13 10:20', to_date(...)), so stored dates compare right with
// them.
#pragma once

#include <string>
#include <string_view>

#include "tpl/datetime.h"
#include "tpl/variant.h"

namespace tpl::db::sqlite {

std::string SqlDateText(const DateParts& parts);
std::string SqlDateText(Date date);

// Reads back the text SqlDateText writes (also with "-" between the parts,
// or the date alone) without the cost of the lenient recognition; false for
// any other text.
bool TryReadSqlDateText(std::string_view text, Date& out);

// The machine's local date and time, to the second.
DateParts LocalNow();

// False for a day that does not exist (31/02) or a time past 23:59:59.
bool IsRealDateTime(const DateParts& parts);

}  // namespace tpl::db::sqlite

// SQL Server and Oracle on the embedded database: what lets texts written
// for those databases, and procedure bodies, run on SQLite as they are.
//
// Dates and times are kept as text 'YYYY/MM/DD HH:MM:SS'. It sorts and
// compares correctly as text, and it is the form of the date literals the
// library itself writes ('2001/10/13', '2001/10/13 10:20', to_date(...)),
// so stored dates compare right with them.
//
// The pieces of syntax SQLite cannot parse are rewritten into their SQLite
// equivalents, leaving quoted texts, quoted names and comments alone:
//   SYSDATE (Oracle's bare word for the current time)  ->  GETDATE()
//   ISNULL(a, b) (SQL Server; a postfix operator in SQLite)  ->  IFNULL(a, b)
// The other foreign functions are real SQL functions that every session
// knows, and need no rewriting:
//   GETDATE()             the local date and time, 'YYYY/MM/DD HH:MM:SS'
//   NVL(a, b)             a, or b when a is null (Oracle's IFNULL)
//   TO_DATE(text, mask)   a date read with an Oracle mask, as 'YYYY/MM/DD HH:MM:SS';
//   TO_DATE(text)         the same, recognising the usual date shapes
//   RAISE_ERROR(message)  fails the statement with the message, so that a
//                         procedure body can refuse its call
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

#include "tpl/datetime.h"
#include "tpl/variant.h"

namespace tpl::db::sqlite {

// The text form of a date, 'YYYY/MM/DD HH:MM:SS'.
std::string SqlDateText(const DateParts& parts);
std::string SqlDateText(Date date);

// Reads back the text SqlDateText writes (also with "-" between the parts,
// or the date alone) without the cost of the lenient recognition; false for
// any other text.
bool TryReadSqlDateText(std::string_view text, Date& out);

// The machine's local date and time, to the second.
DateParts LocalNow();

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
//
// Nothing when the text does not follow the mask, the mask holds an element
// not listed above, or the date does not exist.
std::optional<DateParts> ReadOracleDate(std::string_view text, std::string_view mask,
                                        const DateParts& defaults);

// The text with SYSDATE and ISNULL rewritten as above.
std::string RewriteForeignDialect(std::string_view sql);

// Makes GETDATE, NVL, TO_DATE and RAISE_ERROR known to the session.
void RegisterDialectFunctions(sqlite3* connection);

}  // namespace tpl::db::sqlite

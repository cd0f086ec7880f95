// Rewrites the pieces of SQL Server and Oracle syntax that SQLite cannot
// parse into their SQLite equivalents, leaving quoted texts, quoted names
// and comments alone:
//   SYSDATE (Oracle's bare word for the current time)  ->  GETDATE()
//   ISNULL(a, b) (SQL Server; a postfix operator in SQLite)  ->  IFNULL(a, b)
// The other foreign functions (GETDATE, NVL, TO_DATE) are real SQL functions
// of the session and need no rewriting.
#pragma once

#include <string>
#include <string_view>

namespace tpl::db::sqlite {

std::string RewriteForeignDialect(std::string_view sql);

}  // namespace tpl::db::sqlite

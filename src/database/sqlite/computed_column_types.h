// The types SQL Server would report for the computed columns of a query.
//
// SQLite declares a type only for a column taken straight from a table;
// an expression has none, and its values alone would make "SUM(VALOR)"
// over a NUMERIC(12,2) column a plain double. Reports of sums are the most
// common report there is, and on SQL Server they come back as decimals with
// the column's scale. So, for the common shapes of a result column, the
// declaration SQL Server's typing would give is worked out here:
//
//   CAST(x AS NUMERIC(p,s)), CAST(x AS DECIMAL(p,s))  the type named
//   SUM(c), TOTAL(c) of a NUMERIC(p,s) column          NUMERIC(38,s)
//   AVG(c) of a NUMERIC(p,s) column                    NUMERIC(38,max(s,6))
//   MIN(c), MAX(c)                                     c's own declaration
//   IFNULL, ISNULL, COALESCE, NVL(e, ...)              the type of e
//
// "c" may be any expression SQLite itself types from a table: a column,
// "t.c", "(c)", "DISTINCT c". Anything else is left to the values.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

namespace tpl::db::sqlite {

// One declaration per result column of `statement` ("NUMERIC(38,2)"), empty
// where none can be worked out. Columns that SQLite already types are left
// empty too: their own declaration stands. `statement` is only read; a
// second statement may be prepared on `connection` to type the arguments
// of aggregates.
std::vector<std::string> ComputedColumnDeclarations(sqlite3* connection, sqlite3_stmt* statement);

}  // namespace tpl::db::sqlite

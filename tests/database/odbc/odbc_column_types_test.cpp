// Field types and scales of result columns as the mapping of drivers' descriptions gives them; the SQLite and
// PostgreSQL drivers' descriptions of declared columns: database/conformance.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <tuple>

#include "database/odbc/odbc_column_types.h"

namespace tpl::db::odbc {
namespace {

// Descriptions as SQL Server, Oracle and SQLite drivers give them.
TEST(OdbcColumnPlan, MapsEachDriverDescription) {
  using enum DataType;
  const struct { SQLSMALLINT sql_type, digits; const char* type_name; DataType type; int32_t scale;
                 bool scale_unreported; } rows[] = {
      {SQL_NUMERIC, 2, "numeric", Numeric, 2, false}, {SQL_DECIMAL, 4, "money", Numeric, 4, false},
      {SQL_DECIMAL, 0, "NUMBER", Numeric, 0, false}, {SQL_DOUBLE, 0, "NUMBER", Numeric, 0, true},
      {SQL_VARCHAR, 0, "DECIMAL", Numeric, 0, true}, {SQL_INTEGER, 0, "int", Integer, 0, false},
      {SQL_BIGINT, 0, "bigint", Integer, 0, false}, {SQL_TINYINT, 0, "tinyint", Integer, 0, false},
      {SQL_FLOAT, 0, "float", Double, 0, false}, {SQL_REAL, 0, "real", Double, 0, false},
      {SQL_TYPE_DATE, 0, "date", DBDate, 0, false}, {SQL_TYPE_TIMESTAMP, 3, "datetime", Date, 0, false},
      {SQL_TYPE_TIME, 0, "time", Date, 0, false}, {SQL_CHAR, 0, "char", Char, 0, false},
      {SQL_WCHAR, 0, "nchar", Char, 0, false}, {SQL_VARCHAR, 0, "CHAR", Char, 0, false},
      {SQL_WVARCHAR, 0, "nvarchar", VarChar, 0, false}, {SQL_WLONGVARCHAR, 0, "ntext", VarChar, 0, false},
      {SQL_GUID, 0, "uniqueidentifier", VarChar, 0, false}, {SQL_BIT, 0, "bit", Boolean, 0, false},
      {SQL_VARBINARY, 0, "varbinary", LongVarBinary, 0, false},
  };
  for (const auto& row : rows) {
    const ColumnPlan plan = PlanColumn({row.sql_type, row.digits, row.type_name});
    EXPECT_EQ(std::tuple(plan.type, plan.numeric_scale, plan.scale_unreported),
              std::tuple(row.type, row.scale, row.scale_unreported)) << row.type_name << " " << row.sql_type;
  }
}

}  // namespace
}  // namespace tpl::db::odbc

// Reading what a command returned: field types and scales from drivers' descriptions, binary cells, and ODBC
// timestamps to serial dates. The SQLite and PostgreSQL drivers' descriptions of declared columns and cells of the
// other types: database/conformance.
#include "database/odbc/odbc_result_reader.h"

#include <sqlext.h>

#include <tuple>

#include "database/odbc/odbc_column_types.h"
#include "database/odbc/odbc_test_database.h"

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

// Bytes arrive whole, a NUL among them.
TEST_F(OdbcTest, BinaryCellsArriveAsTheirBytes) {
  Run("CREATE TABLE t (b BLOB)");
  Run("INSERT INTO t VALUES (x'00FF41')");
  Run("INSERT INTO t VALUES (NULL)");
  const std::vector<ResultSet> results = Run("SELECT b FROM t ORDER BY rowid");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(std::string("\0\xFF" "A", 3)), Variant::Null()}));
}

// No serial means the timestamp is refused.
TEST(OdbcDateConversion, TimestampsBecomeSerialDates) {
  const struct { const char* name; SQL_TIMESTAMP_STRUCT timestamp; std::optional<double> serial; } rows[] = {
      {"13/10/2001 10:20", {2001, 10, 13, 10, 20, 0, 0}, 37177 + (10 * 60 + 20) / 1440.0},
      {"day zero", {1899, 12, 30, 0, 0, 0, 0}, 0},
      {"half a second", {1899, 12, 31, 0, 0, 0, 500000000}, 1 + 0.5 / 86400},
      {"before day zero", {1899, 12, 29, 6, 0, 0, 500000000}, -1.25 - 0.5 / 86400},
      {"month 13", {2001, 13, 1, 0, 0, 0, 0}, std::nullopt}, {"hour 25", {2001, 1, 1, 25, 0, 0, 0}, std::nullopt},
      {"31 February", {2001, 2, 31, 0, 0, 0, 0}, std::nullopt},
      {"fraction of a whole second", {2001, 1, 1, 0, 0, 0, 1000000000}, std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<Date> date = DateFromTimestamp(row.timestamp);
    EXPECT_NEAR(date ? date->serial : -1e9, row.serial.value_or(-1e9), 1e-9) << row.name;
  }
}

}  // namespace
}  // namespace tpl::db::odbc

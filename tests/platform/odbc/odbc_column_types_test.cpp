// Field types and cell values of result columns, as the SQLite ODBC driver
// describes them and as the mapping of other drivers' descriptions gives;
// ODBC timestamps to serial dates.
#include <sqlext.h>

#include "platform/database/declared_column_types.h"
#include "platform/odbc/odbc_column_plan.h"
#include "platform/odbc/odbc_date_conversion.h"
#include "platform/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

TEST_F(OdbcTest, DeclaredColumnsGiveTheEmbeddedProvidersTypeAndScale) {
  for (const auto& row : DeclaredColumnTypes()) {
    Run(std::string("CREATE TABLE t (c ") + row.declaration + ")");
    const std::vector<ResultSet> results = Run("SELECT c FROM t");
    ASSERT_EQ(results.size(), 1u) << row.declaration;
    ASSERT_EQ(results[0].columns.size(), 1u) << row.declaration;
    const ColumnInfo& c = results[0].columns[0];
    EXPECT_EQ(std::tuple(c.name, c.type, c.numeric_scale), std::tuple("c", row.type, row.scale)) << row.declaration;
    Run("DROP TABLE t");
  }
}

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

TEST_F(OdbcTest, CellsBecomeVariantsOfTheirColumnType) {
  Run("CREATE TABLE t (i INTEGER, big BIGINT, n NUMERIC(12,2), r REAL, d DATE, ts DATETIME, "
      "s VARCHAR(20), c CHAR(1), b BLOB)");
  Run("INSERT INTO t VALUES (42, 5000000000, 1234.56, 2.5, '2001-10-13', '2001-10-13 10:20:30', "
      "'ação', 'x', x'00FF41')");
  Run("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  const std::vector<ResultSet> results = Run("SELECT * FROM t");
  ASSERT_EQ(results.size(), 1u);
  Date date, timestamp;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13}, date));
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, timestamp));
  const Variant n = Variant::Null();
  EXPECT_EQ(results[0].cells, (CellStore{Variant(int32_t{42}), Variant(5000000000.0), Variant(1234.56), Variant(2.5),
                                         Variant(date), Variant(timestamp), Variant("ação"), Variant("x"),
                                         Variant(std::string("\0\xFF" "A", 3)), n, n, n, n, n, n, n, n, n}));
}

TEST_F(OdbcTest, LongTextsArriveWhole) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "çã" + std::to_string(i % 10);
  Run("CREATE TABLE t (s TEXT)");
  Run("INSERT INTO t VALUES (?)", {{"p", DataType::LongVarChar, ParameterDirection::Input, 0, Variant(text)}});
  EXPECT_EQ(Scalar("SELECT s FROM t"), Variant(text));
}

// Date cells keep their time; the driver reads a text that is no date as NULL.
TEST_F(OdbcTest, DateCellsKeepTheirTime) {
  const std::pair<const char*, std::optional<DateParts>> rows[] = {
      {"2001-10-13 10:20:30", DateParts{2001, 10, 13, 10, 20, 30}}, {"2001-10-13", DateParts{2001, 10, 13}},
      {"1899-12-29 06:00:00", DateParts{1899, 12, 29, 6, 0, 0}}, {"garbage", std::nullopt}, {"", std::nullopt},
      {"9999-12-31 23:59:59", DateParts{9999, 12, 31, 23, 59, 59}}};
  Run("CREATE TABLE t (ts DATETIME)");
  for (const auto& [stored, parts] : rows) {
    Run("DELETE FROM t");
    Run(std::string("INSERT INTO t VALUES ('") + stored + "')");
    Date expected;
    ASSERT_TRUE(!parts || TryMakeDate(*parts, expected)) << stored;
    EXPECT_EQ(Scalar("SELECT ts FROM t"), parts ? Variant(expected) : Variant::Null()) << stored;
  }
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

// Values in and out of the driver: "?" parameters converted to their type, outputs, the call escape of a stored
// procedure; field types and scales from drivers' descriptions, binary cells, and ODBC timestamps to serial dates.
// Values already of their column's type, and the drivers' descriptions of declared columns: database/conformance.
#include <sqlext.h>

#include <tuple>

#include "database/conformance/conformance_providers.h"
#include "database/odbc/odbc_column_types.h"
#include "database/odbc/odbc_parameter_bindings.h"
#include "database/odbc/odbc_result_reader.h"
#include "database/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

constexpr auto kIn = ParameterDirection::Input;
constexpr auto kOut = ParameterDirection::Output;

// Input parameters reach their columns, converted to the parameter's type; values that do not convert are refused with
// the conversion's error. Values already of their column's type: database/conformance.
TEST_F(OdbcTest, InputParametersReachTheirColumns) {
  Run("CREATE TABLE t (i INTEGER, n NUMERIC(10,2), d DATE, s VARCHAR(20), b BIT)");
  Date timestamp, date;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, timestamp));
  ASSERT_TRUE(TryMakeDate({2001, 10, 13}, date));
  const struct { const char* column; DataType type; Variant value, read_back; int32_t error = 0; } rows[] = {
      {"i", DataType::Integer, Variant("7"), Variant(int32_t{7})},
      {"i", DataType::Integer, Variant(2.5), Variant(int32_t{2})}, {"i", DataType::Integer, Variant(), Variant::Null()},
      {"n", DataType::Numeric, Variant("1234,5"), Variant(1234.5)},
      {"d", DataType::DBDate, Variant(timestamp), Variant(date)},
      {"s", DataType::VarChar, Variant(int32_t{15}), Variant("15")},
      {"b", DataType::Boolean, Variant(true), Variant(true)},
      {"i", DataType::Integer, Variant("abc"), Variant(), error::kTypeMismatch},
      {"i", DataType::Integer, Variant(1e12), Variant(), error::kOverflow},
  };
  for (const auto& row : rows) {
    Run("DELETE FROM t");
    const std::string column = row.column;
    const std::vector<Parameter> parameters{{"p", row.type, kIn, 20, row.value}};
    EXPECT_EQ(ErrorNumber([&] { Run("INSERT INTO t (" + column + ") VALUES (?)", parameters); }), row.error)
        << column << " " << static_cast<int>(row.type);
    const Variant stored = row.error == 0 ? Scalar("SELECT " + column + " FROM t") : Variant();
    EXPECT_EQ(stored, row.read_back) << column << " " << static_cast<int>(row.type);
  }
}

// Parameters bind in order. The SQLite driver never writes output parameters: their old value must not survive as if it
// were the answer.
TEST_F(OdbcTest, ParametersBindInOrderAndUnwrittenOutputsReadNull) {
  const std::vector<ResultSet> results =
      Run("SELECT ? - 1, ? || 'y', ?, ?", {{"a", DataType::Integer, kIn, 0, Variant(int32_t{10})},
                                           {"b", DataType::VarChar, kIn, 5, Variant("x")},
                                           {"out", DataType::Integer, kOut, 0, Variant(int32_t{77})},
                                           {"text", DataType::VarChar, kOut, 10, Variant("old")}});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(std::pair(results[0].cells.at(0), results[0].cells.at(1)), std::pair(Variant(int32_t{9}), Variant("xy")));
  EXPECT_EQ(parameters_[0].value, Variant(int32_t{10})) << "inputs are left alone";
  EXPECT_TRUE(parameters_[2].value.IsNull());
  EXPECT_TRUE(parameters_[3].value.IsNull());
}

// A text output as long as its buffer (size 1: four bytes and the NUL, five in all) was written: it is cut, never Null.
TEST(OdbcOutputs, ATextAsLongAsItsBufferIsWritten) {
  const std::string server = conformance::PostgresConnectionString();
  if (server.empty()) GTEST_SKIP() << conformance::kStartPostgresHint;
  const conformance::PostgresTestSchema schema(server);
  schema.Run("CREATE FUNCTION sp_five(OUT ptext varchar) AS $$ SELECT 'abcde'::varchar $$ LANGUAGE sql");
  std::vector<Parameter> parameters{{"pText", DataType::VarChar, kOut, 1, Variant()}};
  OpenProvider(schema.connection_string(), CallLimits::OutsideAnyCall())
      ->Execute(CommandType::StoredProcedure, "sp_five", parameters, 0);
  EXPECT_EQ(parameters[0].value, Variant("abcd"));
}

TEST(OdbcCallText, BuildsTheCallEscape) {
  const struct { const char* name; size_t count; const char* text; } accepted[] = {
      {"SP_X", 0, "{call SP_X}"}, {"SP_X", 1, "{call SP_X(?)}"},
      {"dbo.SP_KMB_INCLUI_TEMPLATE03", 3, "{call dbo.SP_KMB_INCLUI_TEMPLATE03(?,?,?)}"},
      {"  [dbo].[SP X]\t", 2, "{call [dbo].[SP X](?,?)}"}};
  for (const auto& row : accepted) EXPECT_EQ(BuildCallText(row.name, row.count), row.text) << row.name;
  for (const char* name : {"", "   ", "SP_X}", "{call SP_X}", "SP_X(1)", "SP_X; DROP TABLE t", "SP\nX"})
    EXPECT_EQ(ErrorNumber([&] { BuildCallText(name, 1); }), error::kInvalidProcedureCall) << name;
}

// Descriptions as SQL Server, Oracle and SQLite drivers give them: the type name corrects what a driver reports for
// decimals and fixed-length texts. (Each SQL type of the PostgreSQL and SQLite drivers: database/conformance.)
TEST(OdbcColumnPlan, MapsEachDriverDescription) {
  using enum DataType;
  const struct { SQLSMALLINT sql_type, digits; const char* type_name; DataType type; int32_t scale;
                 bool scale_unreported; } rows[] = {
      {SQL_NUMERIC, 2, "numeric", Numeric, 2, false}, {SQL_DOUBLE, 0, "NUMBER", Numeric, 0, true},
      {SQL_VARCHAR, 0, "DECIMAL", Numeric, 0, true}, {SQL_VARCHAR, 0, "CHAR", Char, 0, false},
      {SQL_TYPE_TIME, 0, "time", Date, 0, false}, {SQL_BIT, 0, "bit", Boolean, 0, false},
      {SQL_GUID, 0, "uniqueidentifier", VarChar, 0, false},
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
      {"day zero", {1899, 12, 30, 0, 0, 0, 0}, 0},
      {"half a second", {1899, 12, 31, 0, 0, 0, 500000000}, 1 + 0.5 / 86400},
      {"before day zero", {1899, 12, 29, 6, 0, 0, 500000000}, -1.25 - 0.5 / 86400},
      {"hour 25", {2001, 1, 1, 25, 0, 0, 0}, std::nullopt}, {"31 February", {2001, 2, 31, 0, 0, 0, 0}, std::nullopt},
      {"fraction of a whole second", {2001, 1, 1, 0, 0, 0, 1000000000}, std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<Date> date = DateFromTimestamp(row.timestamp);
    EXPECT_NEAR(date ? date->serial : -1e9, row.serial.value_or(-1e9), 1e-9) << row.name;
  }
}

}  // namespace
}  // namespace tpl::db::odbc

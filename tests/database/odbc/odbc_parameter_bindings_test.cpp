// "?" parameters in and out, and stored-procedure calls through the call escape.
#include "database/odbc/odbc_parameter_bindings.h"
#include "database/conformance/conformance_providers.h"
#include "database/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

constexpr auto kIn = ParameterDirection::Input;
constexpr auto kOut = ParameterDirection::Output;

// Input parameters reach their columns, converted to the parameter's type; values that do not convert are refused with
// the conversion's error. Values already of their column's type: database/conformance.
TEST_F(OdbcTest, InputParametersReachTheirColumns) {
  Run("CREATE TABLE t (i INTEGER, n NUMERIC(10,2), ts DATETIME, d DATE, s VARCHAR(20), b BIT)");
  Date timestamp, date;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, timestamp));
  ASSERT_TRUE(TryMakeDate({2001, 10, 13}, date));
  const struct { const char* column; DataType type; Variant value, read_back; int32_t error = 0; } rows[] = {
      {"i", DataType::Integer, Variant("7"), Variant(int32_t{7})},
      {"i", DataType::Integer, Variant(2.5), Variant(int32_t{2})}, {"i", DataType::Integer, Variant(), Variant::Null()},
      {"n", DataType::Numeric, Variant("1234,5"), Variant(1234.5)},
      {"d", DataType::DBDate, Variant(timestamp), Variant(date)},
      {"s", DataType::VarChar, Variant(int32_t{15}), Variant("15")},
      {"s", DataType::VarChar, Variant::Null(), Variant::Null()},
      {"b", DataType::Boolean, Variant(true), Variant(true)},
      {"i", DataType::Integer, Variant("abc"), Variant(), error::kTypeMismatch},
      {"i", DataType::Integer, Variant(1e12), Variant(), error::kOverflow},
      {"ts", DataType::Date, Variant("not a date"), Variant(), error::kTypeMismatch},
      {"n", DataType::Double, Variant("1,2,3"), Variant(), error::kTypeMismatch},
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
  ASSERT_EQ(results[0].cells.size(), 4u);
  EXPECT_EQ(results[0].cells[0], Variant(int32_t{9}));
  EXPECT_EQ(results[0].cells[1], Variant("xy"));
  EXPECT_EQ(parameters_[0].value, Variant(int32_t{10})) << "inputs are left alone";
  EXPECT_TRUE(parameters_[2].value.IsNull());
  EXPECT_TRUE(parameters_[3].value.IsNull());
}

// What a driver finds in the indicator of an output when the statement runs: never SQL_NULL_DATA, which some drivers
// read as an input's NULL and then write an integer output as text.
TEST_F(OdbcTest, OutputsAreNeverAnnouncedToTheDriverAsNull) {
  const OdbcSession session("Driver=SQLite3;Database=" + path_.string(), kLoginTimeout);
  const StatementHandle statement = session.NewStatement();
  const DataType types[] = {DataType::Integer, DataType::BigInt, DataType::Double, DataType::Date,
                            DataType::DBDate,  DataType::Boolean, DataType::VarChar, DataType::Char};
  std::vector<Parameter> outputs;
  for (DataType type : types) outputs.push_back({"out", type, kOut, 10, Variant()});
  const ParameterBindings bindings(statement.get(), outputs);
  for (size_t i = 0; i < outputs.size(); ++i)
    EXPECT_NE(bindings.Indicator(i), SQL_NULL_DATA) << "type " << static_cast<int>(types[i]);
  // A text's marker is no length: a written text as long as its buffer (or longer, and cut) reports that length,
  // which must never read as "not written".
  for (size_t i = 6; i < outputs.size(); ++i) EXPECT_LT(bindings.Indicator(i), 0) << "type " << int(types[i]);
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

}  // namespace
}  // namespace tpl::db::odbc

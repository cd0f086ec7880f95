// Running commands: which statements give row sets, "?" parameters in and
// out, and stored-procedure calls.
#include <cmath>

#include "platform/odbc/odbc_call_text.h"
#include "platform/odbc/odbc_test_database.h"
#include "tpl/datetime.h"

namespace tpl::db::odbc {
namespace {

TEST_F(OdbcTest, OnlyStatementsReturningColumnsGiveRowSets) {
  // The driver runs a batch that starts with DDL as a whole.
  EXPECT_TRUE(Run("CREATE TABLE t (i INTEGER); INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)").empty());
  EXPECT_TRUE(Run("UPDATE t SET i = 3 WHERE i = 99").empty());
  EXPECT_TRUE(Run("DELETE FROM t WHERE i = 99").empty());

  const std::vector<ResultSet> none = Run("SELECT i FROM t WHERE i > 5");
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].columns.size(), 1u);
  EXPECT_EQ(none[0].row_count(), 0u);

  const std::vector<ResultSet> two = Run("SELECT i FROM t ORDER BY i");
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(two[0].cells, (CellStore{Variant(int32_t{1}), Variant(int32_t{2})}));
}

TEST_F(OdbcTest, InputParametersReachTheirColumns) {
  Run("CREATE TABLE t (i INTEGER, big BIGINT, n NUMERIC(10,2), ts DATETIME, d DATE, s VARCHAR(20), "
      "c CHAR(3), b BIT)");
  Date timestamp, date;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, timestamp));
  ASSERT_TRUE(TryMakeDate({2001, 10, 13}, date));
  struct Row {
    const char* column;
    DataType type;
    Variant value;
    Variant read_back;
  };
  const Row rows[] = {
      {"i", DataType::Integer, Variant("7"), Variant(int32_t{7})},
      {"i", DataType::Integer, Variant(2.5), Variant(int32_t{2})},
      {"big", DataType::BigInt, Variant(5e9), Variant(5e9)},
      {"n", DataType::Numeric, Variant("1234,5"), Variant(1234.5)},
      {"ts", DataType::Date, Variant(timestamp), Variant(timestamp)},
      {"d", DataType::DBDate, Variant(timestamp), Variant(date)},
      {"s", DataType::VarChar, Variant("ação"), Variant("ação")},
      {"s", DataType::VarChar, Variant(int32_t{15}), Variant("15")},
      {"c", DataType::Char, Variant("abc"), Variant("abc")},
      {"b", DataType::Boolean, Variant(true), Variant(true)},
      {"s", DataType::VarChar, Variant::Null(), Variant::Null()},
      {"i", DataType::Integer, Variant(), Variant::Null()},
  };
  for (const Row& row : rows) {
    Run("DELETE FROM t");
    std::vector<Parameter> parameters{{"p", row.type, ParameterDirection::Input, 20, row.value}};
    Run(std::string("INSERT INTO t (") + row.column + ") VALUES (?)", parameters);
    EXPECT_EQ(Scalar(std::string("SELECT ") + row.column + " FROM t"), row.read_back)
        << row.column << " " << static_cast<int>(row.type);
  }
}

TEST_F(OdbcTest, ParameterValuesThatDoNotConvertAreRefused) {
  struct Row {
    DataType type;
    Variant value;
    int32_t error;
  };
  const Row rows[] = {{DataType::Integer, Variant("abc"), error::kTypeMismatch},
                      {DataType::Integer, Variant(1e12), error::kOverflow},
                      {DataType::Date, Variant("not a date"), error::kTypeMismatch},
                      {DataType::Double, Variant("1,2,3"), error::kTypeMismatch}};
  for (const Row& row : rows) {
    std::vector<Parameter> parameters{{"p", row.type, ParameterDirection::Input, 0, row.value}};
    try {
      Run("SELECT ?", parameters);
      ADD_FAILURE() << "accepted type " << static_cast<int>(row.type);
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), row.error) << "type " << static_cast<int>(row.type);
    }
  }
}

TEST_F(OdbcTest, ParametersAreBoundInOrder) {
  std::vector<Parameter> parameters{{"a", DataType::Integer, ParameterDirection::Input, 0, Variant(int32_t{10})},
                                    {"b", DataType::VarChar, ParameterDirection::Input, 5, Variant("x")}};
  const std::vector<ResultSet> results = Run("SELECT ? - 1, ? || 'y'", parameters);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(int32_t{9}), Variant("xy")}));
}

// The SQLite driver never writes output parameters: their old value must
// not survive as if it were the answer.
TEST_F(OdbcTest, OutputParametersTheDriverLeavesUnwrittenReadNull) {
  std::vector<Parameter> parameters{{"in", DataType::Integer, ParameterDirection::Input, 0, Variant(int32_t{5})},
                                    {"out", DataType::Integer, ParameterDirection::Output, 0, Variant(int32_t{77})},
                                    {"text", DataType::VarChar, ParameterDirection::Output, 10, Variant("old")}};
  Run("SELECT ? + 1, ?, ?", parameters);
  EXPECT_EQ(parameters[0].value, Variant(int32_t{5}));
  EXPECT_TRUE(parameters[1].value.IsNull());
  EXPECT_TRUE(parameters[2].value.IsNull());
}

TEST_F(OdbcTest, StoredProceduresGoThroughTheCallEscape) {
  std::vector<Parameter> parameters{{"p", DataType::Integer, ParameterDirection::Input, 0, Variant(int32_t{1})}};
  // The SQLite driver has no procedures; its refusal proves the escape reached it.
  try {
    provider_->Execute(CommandType::StoredProcedure, "SP_NONE", parameters, 0);
    FAIL() << "a procedure ran on SQLite";
  } catch (const RuntimeError& e) {
    EXPECT_FALSE(e.sql_state().empty());
  }
}

TEST(OdbcCallText, BuildsTheCallEscape) {
  struct Row {
    const char* name;
    size_t count;
    const char* text;
  };
  const Row accepted[] = {{"SP_X", 0, "{call SP_X}"},
                          {"SP_X", 1, "{call SP_X(?)}"},
                          {"dbo.SP_KMB_INCLUI_TEMPLATE03", 3, "{call dbo.SP_KMB_INCLUI_TEMPLATE03(?,?,?)}"},
                          {"  [dbo].[SP X]\t", 2, "{call [dbo].[SP X](?,?)}"}};
  for (const Row& row : accepted) EXPECT_EQ(BuildCallText(row.name, row.count), row.text) << row.name;

  const char* refused[] = {"", "   ", "SP_X}", "{call SP_X}", "SP_X(1)", "SP_X; DROP TABLE t", "SP\nX"};
  for (const char* name : refused) {
    try {
      BuildCallText(name, 1);
      ADD_FAILURE() << "accepted " << name;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), error::kInvalidProcedureCall) << name;
    }
  }
}

}  // namespace
}  // namespace tpl::db::odbc

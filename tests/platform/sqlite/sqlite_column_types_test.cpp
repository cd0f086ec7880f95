// Field types, scales and values as the provider reports them.
#include <gtest/gtest.h>

#include <string>

#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/datetime.h"

namespace tpl::db::testing {
namespace {

class SqliteColumnTypes : public ::testing::Test {
 protected:
  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteColumnTypes, DeclaredTypesGiveTypeCodeAndScale) {
  struct Row {
    const char* declared;
    DataType type;
    int32_t scale;
  };
  const Row rows[] = {
      {"INTEGER", DataType::Integer, 0},          {"int", DataType::Integer, 0},
      {"SMALLINT", DataType::Integer, 0},         {"BIGINT", DataType::Integer, 0},
      {"NUMERIC(10,3)", DataType::Numeric, 3},    {"numeric ( 10 , 1 )", DataType::Numeric, 1},
      {"DECIMAL(12,2)", DataType::Numeric, 2},    {"DECIMAL(10)", DataType::Numeric, 0},
      {"NUMERIC", DataType::Numeric, 0},          {"REAL", DataType::Double, 0},
      {"FLOAT", DataType::Double, 0},             {"DOUBLE", DataType::Double, 0},
      {"DATE", DataType::DBDate, 0},              {"DATETIME", DataType::Date, 0},
      {"TIMESTAMP", DataType::Date, 0},           {"CHAR(1)", DataType::Char, 0},
      {"VARCHAR(100)", DataType::VarChar, 0},     {"NVARCHAR(50)", DataType::VarChar, 0},
      {"TEXT", DataType::VarChar, 0},             {"CLOB", DataType::VarChar, 0},
  };
  for (const Row& row : rows) {
    const std::string table = "CREATE TABLE t (c " + std::string(row.declared) + "); ";
    auto results = RunSql(*provider_, table + "SELECT c FROM t; DROP TABLE t");
    ASSERT_EQ(results.size(), 1u) << row.declared;
    EXPECT_EQ(results[0].columns[0].type, row.type) << row.declared;
    EXPECT_EQ(results[0].columns[0].numeric_scale, row.scale) << row.declared;
  }
}

TEST_F(SqliteColumnTypes, ComputedColumnsTakeTheTypeOfTheirValues) {
  struct Row {
    const char* values;  // one column over several rows
    DataType type;
  };
  const Row rows[] = {
      {"SELECT 1 UNION ALL SELECT 2", DataType::Integer},
      {"SELECT 1.5", DataType::Double},
      {"SELECT 1 UNION ALL SELECT 2.5", DataType::Double},
      {"SELECT 'x'", DataType::VarChar},
      {"SELECT 1 UNION ALL SELECT 'x'", DataType::VarChar},
      {"SELECT x'00ff'", DataType::LongVarBinary},
      {"SELECT NULL", DataType::VarChar},
      {"SELECT NULL UNION ALL SELECT 7", DataType::Integer},
      {"SELECT 1 WHERE 0", DataType::VarChar},
  };
  for (const Row& row : rows) {
    auto results = RunSql(*provider_, row.values);
    ASSERT_EQ(results.size(), 1u) << row.values;
    EXPECT_EQ(results[0].columns[0].type, row.type) << row.values;
  }
}

TEST_F(SqliteColumnTypes, ValuesFollowTheColumnType) {
  RunSql(*provider_,
      "CREATE TABLE v (i INTEGER, n NUMERIC(10,2), d DATETIME, dd DATE, s VARCHAR(10), c CHAR(2));"
      "INSERT INTO v VALUES (2147483647, 12, '2001-10-13 10:20:00', '2001-10-13', 57, 'ab');"
      "INSERT INTO v VALUES (2147483648, 12.5, 'não é data', NULL, 'Relatório', NULL);"
      "INSERT INTO v VALUES (-2147483649, NULL, NULL, '2001/10/14', NULL, 'x');");
  auto results = RunSql(*provider_, "SELECT i, n, d, dd, s, c FROM v ORDER BY rowid");
  ASSERT_EQ(results.size(), 1u);
  const ResultSet& r = results[0];
  ASSERT_EQ(r.row_count(), 3u);
  Date october_13_1020, october_13, october_14;
  ASSERT_TRUE(TryParseDate("2001-10-13 10:20:00", october_13_1020));
  ASSERT_TRUE(TryParseDate("2001-10-13", october_13));
  ASSERT_TRUE(TryParseDate("2001-10-14", october_14));

  EXPECT_EQ(Cell(r, 0, 0), Variant::Long(2147483647));
  EXPECT_EQ(Cell(r, 1, 0), Variant(2147483648.0)) << "beyond 32 bits";
  EXPECT_EQ(Cell(r, 2, 0), Variant(-2147483649.0)) << "beyond 32 bits";
  EXPECT_EQ(Cell(r, 0, 1), Variant(12.0)) << "numeric columns hold doubles";
  EXPECT_EQ(Cell(r, 1, 1), Variant(12.5));
  EXPECT_TRUE(Cell(r, 2, 1).IsNull());
  EXPECT_EQ(Cell(r, 0, 2), Variant(october_13_1020));
  EXPECT_EQ(Cell(r, 1, 2), Variant("não é data")) << "text that is no date is kept";
  EXPECT_TRUE(Cell(r, 2, 2).IsNull());
  EXPECT_EQ(Cell(r, 0, 3), Variant(october_13));
  EXPECT_EQ(Cell(r, 2, 3), Variant(october_14));
  EXPECT_EQ(Cell(r, 0, 4), Variant("57")) << "a number stored in a text column reads as text";
  EXPECT_EQ(Cell(r, 1, 4), Variant("Relatório"));
  EXPECT_EQ(Cell(r, 0, 5), Variant("ab"));
  EXPECT_TRUE(Cell(r, 1, 5).IsNull());
}

}  // namespace
}  // namespace tpl::db::testing

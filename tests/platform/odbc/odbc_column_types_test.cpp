// Field types and cell values of result columns, as the SQLite ODBC driver
// describes them and as the mapping of other drivers' descriptions gives.
#include <sqlext.h>

#include <string>

#include "platform/odbc/odbc_column_plan.h"
#include "platform/odbc/odbc_test_database.h"
#include "tpl/datetime.h"

namespace tpl::db::odbc {
namespace {

struct DeclaredColumn {
  const char* declaration;
  DataType type;
  int32_t scale;
};

// The codes the embedded SQLite provider gives for the same declarations.
const DeclaredColumn kDeclaredColumns[] = {
    {"NUMERIC(12,2)", DataType::Numeric, 2}, {"DECIMAL(10,3)", DataType::Numeric, 3},
    {"NUMBER(8,1)", DataType::Numeric, 1},   {"NUMERIC", DataType::Numeric, 0},
    {"INTEGER", DataType::Integer, 0},       {"BIGINT", DataType::Integer, 0},
    {"SMALLINT", DataType::Integer, 0},      {"REAL", DataType::Double, 0},
    {"FLOAT", DataType::Double, 0},          {"DOUBLE", DataType::Double, 0},
    {"DATE", DataType::DBDate, 0},           {"DATETIME", DataType::Date, 0},
    {"TIMESTAMP", DataType::Date, 0},        {"VARCHAR(20)", DataType::VarChar, 0},
    {"TEXT", DataType::VarChar, 0},          {"CHAR(1)", DataType::Char, 0},
    {"BLOB", DataType::LongVarBinary, 0},
};

TEST_F(OdbcTest, DeclaredColumnsGiveTheEmbeddedProvidersTypeAndScale) {
  for (const DeclaredColumn& row : kDeclaredColumns) {
    Run(std::string("CREATE TABLE t (c ") + row.declaration + ")");
    const std::vector<ResultSet> results = Run("SELECT c FROM t");
    ASSERT_EQ(results.size(), 1u) << row.declaration;
    ASSERT_EQ(results[0].columns.size(), 1u) << row.declaration;
    EXPECT_EQ(results[0].columns[0].name, "c") << row.declaration;
    EXPECT_EQ(results[0].columns[0].type, row.type) << row.declaration;
    EXPECT_EQ(results[0].columns[0].numeric_scale, row.scale) << row.declaration;
    EXPECT_EQ(results[0].row_count(), 0u) << row.declaration;
    Run("DROP TABLE t");
  }
}

struct ReportedRow {
  SQLSMALLINT sql_type;
  SQLSMALLINT digits;
  const char* type_name;
  DataType type;
  int32_t scale;
  bool scale_unreported;
};

// Descriptions as SQL Server, Oracle and SQLite drivers give them.
const ReportedRow kReportedColumns[] = {
    {SQL_NUMERIC, 2, "numeric", DataType::Numeric, 2, false},
    {SQL_DECIMAL, 4, "money", DataType::Numeric, 4, false},
    {SQL_DECIMAL, 0, "NUMBER", DataType::Numeric, 0, false},
    {SQL_DOUBLE, 0, "NUMBER", DataType::Numeric, 0, true},
    {SQL_VARCHAR, 0, "DECIMAL", DataType::Numeric, 0, true},
    {SQL_INTEGER, 0, "int", DataType::Integer, 0, false},
    {SQL_BIGINT, 0, "bigint", DataType::Integer, 0, false},
    {SQL_TINYINT, 0, "tinyint", DataType::Integer, 0, false},
    {SQL_FLOAT, 0, "float", DataType::Double, 0, false},
    {SQL_REAL, 0, "real", DataType::Double, 0, false},
    {SQL_TYPE_DATE, 0, "date", DataType::DBDate, 0, false},
    {SQL_TYPE_TIMESTAMP, 3, "datetime", DataType::Date, 0, false},
    {SQL_TYPE_TIME, 0, "time", DataType::Date, 0, false},
    {SQL_CHAR, 0, "char", DataType::Char, 0, false},
    {SQL_WCHAR, 0, "nchar", DataType::Char, 0, false},
    {SQL_VARCHAR, 0, "CHAR", DataType::Char, 0, false},
    {SQL_WVARCHAR, 0, "nvarchar", DataType::VarChar, 0, false},
    {SQL_WLONGVARCHAR, 0, "ntext", DataType::VarChar, 0, false},
    {SQL_GUID, 0, "uniqueidentifier", DataType::VarChar, 0, false},
    {SQL_BIT, 0, "bit", DataType::Boolean, 0, false},
    {SQL_VARBINARY, 0, "varbinary", DataType::LongVarBinary, 0, false},
};

TEST(OdbcColumnPlan, MapsEachDriverDescription) {
  for (const ReportedRow& row : kReportedColumns) {
    const ColumnPlan plan = PlanColumn({row.sql_type, row.digits, row.type_name});
    EXPECT_EQ(plan.type, row.type) << row.type_name << " " << row.sql_type;
    EXPECT_EQ(plan.numeric_scale, row.scale) << row.type_name << " " << row.sql_type;
    EXPECT_EQ(plan.scale_unreported, row.scale_unreported) << row.type_name << " " << row.sql_type;
  }
}

TEST(OdbcColumnPlan, ReadsTheScaleOfADeclaration) {
  const std::pair<const char*, int32_t> accepted[] = {
      {"NUMERIC(12,2)", 2}, {"decimal( 10 , 3 )", 3}, {"NUMERIC(12)", 0}, {"NUMBER(38,0)", 0}};
  for (const auto& [declaration, scale] : accepted) {
    EXPECT_EQ(ScaleOfDeclaration(declaration), scale) << declaration;
  }
  const char* refused[] = {"NUMERIC", "", "NUMERIC(12,x)", "NUMERIC(12,-1)", "NUMERIC(12,2"};
  for (const char* declaration : refused) {
    EXPECT_EQ(ScaleOfDeclaration(declaration), std::nullopt) << declaration;
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
  const ResultSet& set = results[0];
  ASSERT_EQ(set.row_count(), 2u);

  Date date, timestamp;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13}, date));
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, timestamp));
  const Variant expected[] = {Variant(int32_t{42}), Variant(5000000000.0), Variant(1234.56),
                              Variant(2.5), Variant(date), Variant(timestamp),
                              Variant("ação"), Variant("x"), Variant(std::string("\0\xFF" "A", 3))};
  for (size_t c = 0; c < set.columns.size(); ++c) {
    EXPECT_EQ(set.cells[c], expected[c]) << set.columns[c].name;
    EXPECT_TRUE(set.cells[set.columns.size() + c].IsNull()) << set.columns[c].name;
  }
}

TEST_F(OdbcTest, LongTextsArriveWhole) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "çã" + std::to_string(i % 10);
  Run("CREATE TABLE t (s TEXT)");
  std::vector<Parameter> parameters{{"p", DataType::LongVarChar, ParameterDirection::Input, 0, Variant(text)}};
  Run("INSERT INTO t VALUES (?)", parameters);
  EXPECT_EQ(Scalar("SELECT s FROM t"), Variant(text));
}

TEST_F(OdbcTest, DateCellsKeepTheirTime) {
  struct Row {
    const char* stored;
    DateParts parts;
  };
  const Row accepted[] = {{"2001-10-13 10:20:30", {2001, 10, 13, 10, 20, 30}},
                          {"2001-10-13", {2001, 10, 13}},
                          {"1899-12-29 06:00:00", {1899, 12, 29, 6, 0, 0}},
                          {"9999-12-31 23:59:59", {9999, 12, 31, 23, 59, 59}}};
  Run("CREATE TABLE t (ts DATETIME)");
  for (const Row& row : accepted) {
    Run("DELETE FROM t");
    Run(std::string("INSERT INTO t VALUES ('") + row.stored + "')");
    Date expected;
    ASSERT_TRUE(TryMakeDate(row.parts, expected)) << row.stored;
    EXPECT_EQ(Scalar("SELECT ts FROM t"), Variant(expected)) << row.stored;
  }
  // The driver reads a text that is no date as NULL.
  for (const char* stored : {"garbage", ""}) {
    Run("DELETE FROM t");
    Run(std::string("INSERT INTO t VALUES ('") + stored + "')");
    EXPECT_TRUE(Scalar("SELECT ts FROM t").IsNull()) << stored;
  }
}

}  // namespace
}  // namespace tpl::db::odbc

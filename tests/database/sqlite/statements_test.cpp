// Statements as the provider runs them: "?" and named parameters, and the field types, scales and values it reports
// (the row sets of a batch and the declared types: database/conformance).
#include "database/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using SqliteBatch = SqliteTest;

// "?" markers take the parameters in order across statements, values of every kind; a named marker takes the
// parameter of that name, without case or "@"; a marker without its parameter is refused.
TEST_F(SqliteBatch, MarkersTakeTheParametersInOrderOrByName) {
  auto results = Run("SELECT ? AS a, ? AS b; SELECT ? IS NULL AS c, ?, ?, ?, ?, ?",
                     {Param(Variant(7)), Param(Variant("Relatório")), Param(Variant::Null()),
                      Param(DateValue("2001-10-13 10:20:00")), Param(Variant(true)), Param(Variant(int16_t{3})),
                      Param(Variant(2.5)), Param(Variant())});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(7), Variant("Relatório")}));
  EXPECT_EQ(results[1].cells, (CellStore{Variant(1), Variant("2001/10/13 10:20:00"), Variant(1), Variant(3),
                                         Variant(2.5), Variant::Null()}));
  results = Run("SELECT @pa AS a, :PB AS b", {Param(Variant(2), "pB"), Param(Variant(1), "@pA")});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(1), Variant(2)}));
  for (const char* sql : {"SELECT ?, ?", "SELECT @unknown", "SELECT ?3"})
    EXPECT_THROW(Run(sql, {Param(Variant(), "pA")}), RuntimeError) << sql;
}

using SqliteColumnTypes = SqliteTest;

// A column without a declared type is typed from its values, NULLs aside (text without any): read whole, from every
// row; read in blocks, from the first block's, kept for the blocks after it, as their columns must not change. The
// rest of the batch, when asked for, carries the type of every row.
TEST_F(SqliteColumnTypes, ComputedColumnsTakeTheTypeOfTheirValues) {
  const std::pair<const char*, DataType> rows[] = {
      {"SELECT 1 UNION ALL SELECT 2.5", DataType::Double}, {"SELECT x'00ff'", DataType::LongVarBinary},
      {"SELECT NULL", DataType::VarChar}, {"SELECT NULL UNION ALL SELECT 7", DataType::Integer},
      {"SELECT 1 WHERE 0", DataType::VarChar},
  };
  for (const auto& [sql, type] : rows) EXPECT_EQ(Run(sql).at(0).columns.at(0).type, type) << sql;
  const char* sql = "WITH c(k, x) AS (VALUES (1, 1), (2, 2), (3, 'três')) SELECT x FROM c ORDER BY k";
  ASSERT_EQ(Run(sql).at(0).columns.at(0).type, DataType::VarChar);
  std::vector<Parameter> none;
  std::vector<DataType> types;
  std::vector<ResultSet> following;
  session_->ExecuteInBlocks(
      CommandType::Text, sql, none, 0, 2, [&](ResultSet& block) { types.push_back(block.columns.at(0).type); },
      &following);
  EXPECT_EQ(types, (std::vector<DataType>{DataType::Integer, DataType::Integer}));
  ASSERT_EQ(following.size(), 1u);
  EXPECT_EQ(following[0].columns.at(0).type, DataType::VarChar);
  EXPECT_TRUE(following[0].columns.at(0).typed_by_values);
}

// Computed columns SQL Server would type as decimals: sums, averages and extremes of declared columns, and casts. What
// no rule covers (an expression, a star, a text the second reading cannot prepare) keeps the type of its values. (A
// report's sums and averages: tests/report/report_execution_test.cpp.)
TEST_F(SqliteColumnTypes, ComputedDecimalsReportTheScaleSqlServerWould) {
  Run("CREATE TABLE venda (valor NUMERIC(12,2), qtd INTEGER, taxa DECIMAL(9,4), dia DATE, nome VARCHAR(20));"
      "INSERT INTO venda VALUES (1234.5, 3, 0.1234, '2001-10-13', 'a'), (10, 1, 0.5, '2001-10-14', 'b')");
  const struct { const char* column; DataType type; int32_t scale; } rows[] = {
      {"sum ( DISTINCT v.valor ) AS total", DataType::Numeric, 2}, {"MAX(dia)", DataType::DBDate, 0},
      {"MAX(taxa) AS \"maior taxa\"", DataType::Numeric, 4}, {"COALESCE(AVG(valor), 0) AS media", DataType::Numeric, 6},
      {"cast(valor * 1 as decimal(18, 3)) x", DataType::Numeric, 3}, {"SUM(qtd)", DataType::Integer, 0},
      {"SUM(valor) + 1", DataType::Double, 0}, {"CAST(qtd AS VARCHAR(5))", DataType::VarChar, 0},
  };
  for (const auto& row : rows) {
    const std::string sql = "SELECT nome, " + std::string(row.column) + " FROM venda v GROUP BY nome";
    auto results = Run(sql);
    ASSERT_EQ(results.size(), 1u) << sql;
    const ColumnInfo& c = results[0].columns.at(1);
    EXPECT_EQ(std::pair(c.type, c.numeric_scale), std::pair(row.type, row.scale)) << sql;
  }
  // The sum reads as a number with its decimals, in a query with a star and a union the leftmost select governs.
  auto sums = Run("WITH t AS (SELECT * FROM venda) SELECT SUM(valor) FROM t UNION ALL SELECT 1; SELECT *, 1 FROM venda");
  ASSERT_EQ(sums.size(), 2u);
  EXPECT_EQ(std::tuple(sums[0].columns[0].type, sums[0].cells[0], sums[1].columns[0].type),
            std::tuple(DataType::Numeric, Variant(1244.5), DataType::Numeric));
}

// Integers beyond 32 bits become doubles, numeric columns hold doubles, a date text reads as a date in the stored
// order or the day-first one, a text that is no date (a day the month lacks) stays text, a number in a text column
// reads as text.
TEST_F(SqliteColumnTypes, ValuesFollowTheColumnType) {
  auto results = Run("CREATE TABLE v (i INTEGER, n NUMERIC(10,2), d DATETIME, dd DATE, s VARCHAR(10), c CHAR(2));"
                     "INSERT INTO v VALUES (2147483647, 12, '2001-10-13 10:20:00', '2001-10-13', 57, 'ab');"
                     "INSERT INTO v VALUES (2147483648, 12.5, 'não é data', '13/10/2001', 'Relatório', NULL);"
                     "INSERT INTO v VALUES (-2147483649, NULL, '2001/02/30', '2001/10/14', NULL, 'x');"
                     "SELECT i, n, d, dd, s, c FROM v ORDER BY rowid");
  ASSERT_EQ(results.size(), 1u);
  const Variant null = Variant::Null();
  EXPECT_EQ(results[0].cells, (CellStore{
      Variant::Long(2147483647), Variant(12.0), DateValue("2001-10-13 10:20:00"), DateValue("2001-10-13"),
      Variant("57"), Variant("ab"), Variant(2147483648.0), Variant(12.5), Variant("não é data"),
      DateValue("2001-10-13"), Variant("Relatório"), null, Variant(-2147483649.0), null, Variant("2001/02/30"),
      DateValue("2001-10-14"), null, Variant("x")}));
}

}  // namespace
}  // namespace tpl::db::testing

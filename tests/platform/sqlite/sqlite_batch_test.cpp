// Batches of statements as the library sends them: session options,
// several row sets, procedure calls and "?" parameters.
#include "platform/sqlite/sql_scanner.h"
#include "platform/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using sqlite::BatchStatementKind;

// The statements of a batch, each tagged "O:" session option, "P:" procedure
// call or "S:" SQLite statement, joined by "|".
std::string Pieces(std::string_view batch) {
  std::string pieces;
  sqlite::BatchReader reader(batch);
  while (auto statement = reader.Next()) {
    pieces += pieces.empty() ? "" : "|";
    pieces += statement->kind == BatchStatementKind::SessionOption   ? "O:"
              : statement->kind == BatchStatementKind::ProcedureCall ? "P:" : "S:";
    pieces += statement->text;
  }
  return pieces;
}

TEST(SqliteBatchReader, CutsBatchesIntoStatements) {
  const std::pair<const char*, const char*> rows[] = {
      {"Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\nSELECT 1",
       "O:Set Transaction Isolation Level Read Uncommitted|O:Set Ansi_Warnings On|S:SELECT 1"},
      {"SET NOCOUNT ON; SELECT 1", "O:SET NOCOUNT ON;|S:SELECT 1"},
      {"SELECT 'a;b'; SELECT 2;", "S:SELECT 'a;b';|S:SELECT 2;"},
      {"SELECT 1 -- no; split\n; SELECT /* ; */ 2", "S:SELECT 1 -- no; split\n;|S:SELECT /* ; */ 2"},
      {";; \n ;", ""}, {"execute SP_X", "P:execute SP_X"},
      {"EXEC SP_X 1, 'a;b' ; SELECT 1", "P:EXEC SP_X 1, 'a;b' ;|S:SELECT 1"},
      {"UPDATE t SET a = 1; SELECT 1", "S:UPDATE t SET a = 1;|S:SELECT 1"},
      {"CREATE TRIGGER g AFTER INSERT ON t BEGIN DELETE FROM u; DELETE FROM v; END; SELECT 1",
       "S:CREATE TRIGGER g AFTER INSERT ON t BEGIN DELETE FROM u; DELETE FROM v; END;|S:SELECT 1"},
      {"SELECT \"a;\" FROM [b;c]", "S:SELECT \"a;\" FROM [b;c]"},
  };
  for (const auto& [batch, pieces] : rows) EXPECT_EQ(Pieces(batch), pieces) << batch;
}

using SqliteBatch = SqliteTest;

TEST_F(SqliteBatch, SessionPreludeIsSkipped) {
  EXPECT_EQ(Scalar("Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\n"
                   " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  23042 "),
            Variant("1000"));
}

TEST_F(SqliteBatch, EveryRowReturningStatementGivesARowSetEvenWhenEmpty) {
  auto results = Run("CREATE TABLE t (a INTEGER, b VARCHAR(10)); INSERT INTO t VALUES (1, 'x'), (2, 'y');"
                     "SELECT a, b FROM t ORDER BY a; SELECT a FROM t WHERE a > 10;"
                     "UPDATE t SET b = 'z' WHERE a = 2; SELECT b FROM t WHERE a = 2");
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(1), Variant("x"), Variant(2), Variant("y")}));
  EXPECT_EQ(results[1].row_count(), 0u);
  ASSERT_EQ(results[1].columns.size(), 1u) << "an empty row set keeps its columns";
  EXPECT_EQ(results[1].columns[0].name, "a");
  EXPECT_EQ(results[2].cells, CellStore{Variant("z")});
}

// "?" markers take the parameters in order across statements, values of every kind.
TEST_F(SqliteBatch, QuestionMarksTakeTheParametersInOrder) {
  Date when;
  ASSERT_TRUE(TryParseDate("2001-10-13 10:20:00", when));
  auto results = Run("SELECT ? AS a, ? AS b; SELECT ? IS NULL AS c, ?, ?, ?, ?, ?",
                     {Param(Variant(7)), Param(Variant("Relatório")), Param(Variant::Null()), Param(Variant(when)),
                      Param(Variant(true)), Param(Variant(int16_t{3})), Param(Variant(2.5)), Param(Variant())});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(7), Variant("Relatório")}));
  EXPECT_EQ(results[1].cells, (CellStore{Variant(1), Variant("2001/10/13 10:20:00"), Variant(1), Variant(3),
                                         Variant(2.5), Variant::Null()}));
}

TEST_F(SqliteBatch, NamedMarkersTakeTheParameterOfThatName) {
  auto results = Run("SELECT @pa AS a, :PB AS b", {Param(Variant(2), "pB"), Param(Variant(1), "@pA")});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(1), Variant(2)}));
}

TEST_F(SqliteBatch, MissingParametersAreRefused) {
  for (const char* sql : {"SELECT ?, ?", "SELECT @unknown", "SELECT ?3"})
    EXPECT_THROW(Run(sql, {Param(Variant(), "pA")}), RuntimeError) << sql;
}

}  // namespace
}  // namespace tpl::db::testing

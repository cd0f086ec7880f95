// Batches of statements as the library sends them: session options,
// several row sets, procedure calls and "?" parameters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sqlite/batch_reader.h"
#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {
namespace {

using sqlite::BatchReader;
using sqlite::BatchStatementKind;

// "O:" session option, "P:" procedure call, "S:" SQLite statement.
std::vector<std::string> Pieces(std::string_view batch) {
  std::vector<std::string> pieces;
  BatchReader reader(batch);
  while (auto statement = reader.Next()) {
    const char* tag = statement->kind == BatchStatementKind::SessionOption ? "O:"
                      : statement->kind == BatchStatementKind::ProcedureCall ? "P:" : "S:";
    pieces.push_back(tag + std::string(statement->text));
  }
  return pieces;
}

TEST(SqliteBatchReader, CutsBatchesIntoStatements) {
  struct Row {
    const char* batch;
    std::vector<std::string> pieces;
  };
  const Row rows[] = {
      {"Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\nSELECT 1",
       {"O:Set Transaction Isolation Level Read Uncommitted", "O:Set Ansi_Warnings On", "S:SELECT 1"}},
      {"SET NOCOUNT ON; SELECT 1", {"O:SET NOCOUNT ON;", "S:SELECT 1"}},
      {"SELECT 'a;b'; SELECT 2;", {"S:SELECT 'a;b';", "S:SELECT 2;"}},
      {"SELECT 1 -- no; split\n; SELECT /* ; */ 2", {"S:SELECT 1 -- no; split\n;", "S:SELECT /* ; */ 2"}},
      {";; \n ;", {}},
      {"EXEC SP_X 1, 'a;b' ; SELECT 1", {"P:EXEC SP_X 1, 'a;b' ;", "S:SELECT 1"}},
      {"execute SP_X", {"P:execute SP_X"}},
      {"UPDATE t SET a = 1; SELECT 1", {"S:UPDATE t SET a = 1;", "S:SELECT 1"}},
      {"CREATE TRIGGER g AFTER INSERT ON t BEGIN DELETE FROM u; DELETE FROM v; END; SELECT 1",
       {"S:CREATE TRIGGER g AFTER INSERT ON t BEGIN DELETE FROM u; DELETE FROM v; END;", "S:SELECT 1"}},
      {"SELECT \"a;\" FROM [b;c]", {"S:SELECT \"a;\" FROM [b;c]"}},
  };
  for (const Row& row : rows) EXPECT_EQ(Pieces(row.batch), row.pieces) << row.batch;
}

class SqliteBatch : public ::testing::Test {
 protected:
  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteBatch, SessionPreludeIsSkipped) {
  auto results = RunSql(*provider_,
                     "Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\n"
                     " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  23042 ");
  ASSERT_EQ(results.size(), 1u);
  ASSERT_EQ(results[0].row_count(), 1u);
  EXPECT_EQ(results[0].cells[0], Variant("1000"));
}

TEST_F(SqliteBatch, EveryRowReturningStatementGivesARowSetEvenWhenEmpty) {
  auto results = RunSql(*provider_,
                     "CREATE TABLE t (a INTEGER, b VARCHAR(10));"
                     "INSERT INTO t VALUES (1, 'x'), (2, 'y');"
                     "SELECT a, b FROM t ORDER BY a;"
                     "SELECT a FROM t WHERE a > 10;"
                     "UPDATE t SET b = 'z' WHERE a = 2;"
                     "SELECT b FROM t WHERE a = 2");
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].row_count(), 2u);
  EXPECT_EQ(Cell(results[0], 1, 1), Variant("y"));
  EXPECT_EQ(results[1].row_count(), 0u);
  ASSERT_EQ(results[1].columns.size(), 1u) << "an empty row set keeps its columns";
  EXPECT_EQ(results[1].columns[0].name, "a");
  EXPECT_EQ(results[2].cells, CellStore{Variant("z")});
}

TEST_F(SqliteBatch, QuestionMarksTakeTheParametersInOrderAcrossStatements) {
  std::vector<Parameter> parameters(3);
  parameters[0].value = Variant(7);
  parameters[1].value = Variant("Relatório");
  parameters[2].value = Variant::Null();
  auto results = RunSql(*provider_, "SELECT ? AS a, ? AS b; SELECT ? IS NULL AS c", parameters);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(Cell(results[0], 0, 0), Variant(7));
  EXPECT_EQ(Cell(results[0], 0, 1), Variant("Relatório"));
  EXPECT_EQ(Cell(results[1], 0, 0), Variant(1));
}

TEST_F(SqliteBatch, NamedMarkersTakeTheParameterOfThatName) {
  std::vector<Parameter> parameters(2);
  parameters[0].name = "pB";
  parameters[0].value = Variant(2);
  parameters[1].name = "@pA";
  parameters[1].value = Variant(1);
  auto results = RunSql(*provider_, "SELECT @pa AS a, :PB AS b", parameters);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(1), Variant(2)}));
}

TEST_F(SqliteBatch, ParameterValuesOfEveryKindAreStored) {
  Date when;
  ASSERT_TRUE(TryParseDate("2001-10-13 10:20:00", when));
  std::vector<Parameter> parameters(5);
  parameters[0].value = Variant(when);
  parameters[1].value = Variant(true);
  parameters[2].value = Variant(int16_t{3});
  parameters[3].value = Variant(2.5);
  parameters[4].value = Variant();
  auto results = RunSql(*provider_, "SELECT ?, ?, ?, ?, ?", parameters);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant("2001/10/13 10:20:00"), Variant(1), Variant(3),
                                                     Variant(2.5), Variant::Null()}));
}

TEST_F(SqliteBatch, MissingParametersAreRefused) {
  const char* refused[] = {"SELECT ?, ?", "SELECT @unknown", "SELECT ?3"};
  for (const char* sql : refused) {
    std::vector<Parameter> parameters(1);
    parameters[0].name = "pA";
    EXPECT_THROW(RunSql(*provider_, sql, parameters), RuntimeError) << sql;
  }
}

}  // namespace
}  // namespace tpl::db::testing

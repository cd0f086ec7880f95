// Batches of statements as the library sends them: session options, procedure calls and SQLite statements cut apart.
#include "database/sqlite/sql_scanner.h"
#include "database/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using sqlite::BatchStatementKind;

// The statements of a batch, each tagged "O:" session option, "P:" procedure call or "S:" SQLite statement, joined by
// "|".
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
      {"create temp trigger g after insert on t begin select 1; end ; select 2",
       "S:create temp trigger g after insert on t begin select 1; end ;|S:select 2"},
      {"CREATE TABLE e (x); SELECT 1 AS END; SELECT 2", "S:CREATE TABLE e (x);|S:SELECT 1 AS END;|S:SELECT 2"},
  };
  for (const auto& [batch, pieces] : rows) EXPECT_EQ(Pieces(batch), pieces) << batch;
}

// A trigger body that never ends holds many ";": the batch is still read
// in one pass (it once cost the square of their number).
TEST(SqliteBatchReader, ManySemicolonsAreReadInOnePass) {
  const std::string body = "CREATE TRIGGER g AFTER INSERT ON t BEGIN " + std::string(400000, ';');
  EXPECT_EQ(Pieces(body), "S:" + body);
}

}  // namespace
}  // namespace tpl::db::testing

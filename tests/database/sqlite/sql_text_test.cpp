// The SQL text the embedded database is sent: batches cut into session options, procedure calls and SQLite
// statements, and the SQL Server and Oracle functions and words in them.
#include "database/sqlite/sql_dialect.h"
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
      {";; \n ;", ""},
      {"EXEC SP_X 1, 'a;b' ; SELECT 1", "P:EXEC SP_X 1, 'a;b' ;|S:SELECT 1"},
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

using sqlite::ReadOracleDate;
using sqlite::SqlDateText;

TEST(SqliteDialectRewriter, RewritesOnlyTheForeignWords) {
  const std::pair<const char*, const char*> rows[] = {
      {"SELECT SYSDATE FROM dual", "SELECT GETDATE() FROM dual"}, {"VALUES (1, sysdate)", "VALUES (1, GETDATE())"},
      {"SELECT 'SYSDATE', \"SYSDATE\", [SYSDATE] -- SYSDATE", "SELECT 'SYSDATE', \"SYSDATE\", [SYSDATE] -- SYSDATE"},
      {"SELECT t.SYSDATE, SYSDATE_X, MY_SYSDATE FROM t", "SELECT t.SYSDATE, SYSDATE_X, MY_SYSDATE FROM t"},
      {"SELECT ISNULL(a, 0), IsNull (b,'x')", "SELECT IFNULL(a, 0), IFNULL (b,'x')"},
      {"SELECT a FROM t WHERE a ISNULL", "SELECT a FROM t WHERE a ISNULL"},
      {"SELECT 'ISNULL(a)' /* ISNULL( */", "SELECT 'ISNULL(a)' /* ISNULL( */"},
  };
  for (const auto& [sql, rewritten] : rows) EXPECT_EQ(sqlite::RewriteForeignDialect(sql), rewritten) << sql;
}

// Parts the mask leaves out come from the defaults; "" as the date means refused.
TEST(SqliteOracleDateMask, ReadsDatesWrittenWithTheMask) {
  const struct { const char* text; const char* mask; const char* date; } rows[] = {
      {"2001/10/13 10:20:00", "yyyy/mm/dd hh24:mi:ss", "2001/10/13 10:20:00"},
      {"13/10/2001", "dd/mm/yyyy", "2001/10/13 00:00:00"}, {"2001-1-5", "yyyy/mm/dd", "2001/01/05 00:00:00"},
      {"2001/10/13", "yyyy/mm/dd hh24:mi:ss", "2001/10/13 00:00:00"}, {"10:20", "hh24:mi", "2020/05/01 10:20:00"},
      {" 2001/10/13 ", "YYYY/MM/DD", "2001/10/13 00:00:00"}, {"01-10-13", "yy-mm-dd", "2001/10/13 00:00:00"},
      {"99-10-13", "rr-mm-dd", "1999/10/13 00:00:00"}, {"2000/02/29", "yyyy/mm/dd", "2000/02/29 00:00:00"},
      {"20011013", "yyyymmdd", "2001/10/13 00:00:00"}, {"1900/02/29", "yyyy/mm/dd", ""}, {"abc", "yyyy", ""},
      {"2001/10/13 24:00", "yyyy/mm/dd hh24:mi", ""}, {"2001/10/13 x", "yyyy/mm/dd", ""},
      {"2001/10/13 10:60", "yyyy/mm/dd hh24:mi", ""}, {"2001 1", "yyyy Q", ""},
  };
  for (const auto& row : rows) {
    const auto parts = ReadOracleDate(row.text, row.mask, DateParts{2020, 5, 1, 0, 0, 0});
    EXPECT_EQ(parts ? SqlDateText(*parts) : "", row.date) << row.text << " / " << row.mask;
  }
}

using SqliteDialect = SqliteTest;

// GETDATE and SYSDATE give the local time, not SQLite's UTC.
TEST_F(SqliteDialect, FunctionsGiveTheirValues) {
  for (const char* sql : {"SELECT getdate ( )", "SELECT (SYSDATE )"}) {
    const std::string before = SqlDateText(sqlite::LocalNow());
    const Variant now = Scalar(sql);
    const std::string after = SqlDateText(sqlite::LocalNow());
    EXPECT_THAT(now.IsString() ? now.AsString() : "", AllOf(::testing::Ge(before), ::testing::Le(after))) << sql;
  }
  const std::pair<const char*, Variant> rows[] = {
      {"SELECT ISNULL(NULL, 'x')", Variant("x")}, {"SELECT nvl(NULL, 2)", Variant(2)},
      {"SELECT TO_DATE(NULL, 'yyyy/mm/dd')", Variant::Null()},
      {"SELECT 1 WHERE TO_DATE('2001/10/13', 'yyyy/mm/dd') < '2001/10/14'", Variant(1)},
  };
  for (const auto& [sql, value] : rows) EXPECT_EQ(Scalar(sql), value) << sql;
  EXPECT_THROW(Run("SELECT TO_DATE('2001/02/30', 'yyyy/mm/dd')"), RuntimeError);
}

}  // namespace
}  // namespace tpl::db::testing

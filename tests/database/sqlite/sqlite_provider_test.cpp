// The provider and its session: the files it opens and the database init-db creates, its failures with their numbers,
// its writers' turns, what a session restricted to reading may run, and the statements it keeps. The time-out and
// transactions as every provider has them: database/conformance.
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "tpl/conversions.h"

#include "database/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using SqliteErrors = SqliteTest;

TEST_F(SqliteErrors, FailuresCarryTheExtendedResultCode) {
  const struct { const char* sql; int32_t number; const char* message_part; } rows[] = {
      {"INSERT INTO Tab_Parametro_Sistema (Tab_Parametro_Sistema_ID) VALUES (7018)", SQLITE_CONSTRAINT_PRIMARYKEY,
       "UNIQUE"},
      {"INSERT INTO infra_ids DEFAULT VALUES", SQLITE_CONSTRAINT_TRIGGER, "única linha"},
      {"INSERT INTO TPL_PROCEDURE_PARAMETER VALUES ('SEM_PAI', 1, 'p', '', 0)", SQLITE_CONSTRAINT_FOREIGNKEY,
       "FOREIGN KEY"},
      {"SELECT RAISE_ERROR('Recusado')", SQLITE_ERROR, "Recusado"},
  };
  for (const auto& row : rows) {
    EXPECT_THAT(Failure([&] { Run(row.sql); }),
                AllOf(StartsWith(std::to_string(row.number) + ": "), HasSubstr(row.message_part)));
  }
}

TEST(SqliteOpen, RefusesFilesThatAreNoDatabase) {
  tpl::testing::TempFolder folder;
  const std::string missing = (folder.path() / "nao_existe.db").string();
  const std::string not_a_database = (folder.path() / "texto.db").string();
  std::ofstream(not_a_database) << "isto não é um banco de dados, mas é longo o bastante para ter um cabeçalho";
  const std::pair<std::string, int32_t> rows[] = {
      {missing, SQLITE_CANTOPEN}, {not_a_database, SQLITE_NOTADB}, {folder.path().string(), SQLITE_CANTOPEN}};
  for (const auto& [file, number] : rows) {
    EXPECT_EQ(ErrorNumber([&file = file] { OpenSqliteProvider(file, CallLimits::OutsideAnyCall()); }) & 0xff,
              number);
  }
  EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing file is not created";
}

using SqliteTransaction = SqliteTest;

// Sessions of one process that write at once take turns: every read-then-update lands, none is refused as busy, and
// a session that leaves without ending its transaction gives its turn back. (A writer's turn waited for no longer
// than the lock wait: PooledSessions.ASessionWaitsForLocksAsTheLimitsItWasTakenWithAllow.)
TEST_F(SqliteTransaction, WritersOfOneProcessTakeTurns) {
  constexpr int kThreads = 8, kEach = 20;
  std::atomic<int> refused = 0;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&] {
      auto session = database_.Open();
      for (int i = 0; i < kEach; ++i) {
        try {
          session->BeginTransaction();
          const int32_t seen = CLng(RunScalar(*session, "SELECT LOG_GERADOR_ID FROM infra_ids"));
          RunSql(*session, "UPDATE infra_ids SET LOG_GERADOR_ID = " + std::to_string(seen + 1));
          session->CommitTransaction();
        } catch (const RuntimeError&) {
          ++refused;
          session->RollbackTransaction();
        }
      }
      session->BeginTransaction();  // left open: closing the session ends it
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(CLng(RunScalar(*session_, "SELECT LOG_GERADOR_ID FROM infra_ids")), kThreads * kEach);
  EXPECT_NO_THROW(session_->BeginTransaction()) << "every turn was given back";
  session_->RollbackTransaction();
  EXPECT_EQ(Scalar("PRAGMA journal_mode"), Variant("wal")) << "readers never wait for a writer";
}

using SqliteReadingOnly = SqliteTest;

// A caller's query on a session restricted to reading: what reads runs, what would change the database or the
// session fails "not authorized" before it runs, and the database is as it was.
TEST_F(SqliteReadingOnly, ReadsRunAndEverythingElseIsRefusedBeforeItRuns) {
  const std::string other = (std::filesystem::path(database_.file()).parent_path() / "outro.db").string();
  const struct { std::string sql; bool allowed; } rows[] = {
      {"SELECT Parametro FROM Tab_Parametro_Sistema WHERE Tab_Parametro_Sistema_ID = 23042", true},
      {"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5) SELECT COUNT(*) FROM c", true},
      {"Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\nSELECT GETDATE()", true},
      {"EXEC SP_KMB_OBTER_REL_DIN_GRP_USU1 10", true}, {"PRAGMA table_info(Tab_Parametro_Sistema)", true},
      {"UPDATE/**/Tab_Parametro_Sistema SET Parametro = '/proc/self/' WHERE Tab_Parametro_Sistema_ID = 23017", false},
      {"SELECT 1; DELETE FROM Tab_Parametro_Sistema", false}, {"EXEC SP_KMB_EXCLUI_TEMPLATE1 1, 1", false},
      {"CREATE TEMP TABLE X (A)", false}, {"ATTACH DATABASE '" + other + "' AS o", false},
      {"PRAGMA foreign_keys = OFF", false}, {"PRAGMA user_version = 7", false},
      {"SELECT load_extension('/tmp/x.so')", false}, {"VACUUM", false},
  };
  const Variant before = Scalar("SELECT group_concat(Tab_Parametro_Sistema_ID || '=' || Parametro) FROM Tab_Parametro_Sistema");
  for (const auto& row : rows) {
    session_->RestrictToReading(true);
    // As a report reads its query: the first row set in blocks, the rest of the batch behind it, where a statement
    // refused after a row set waits as that row set's deferred failure.
    std::vector<Parameter> none;
    std::vector<ResultSet> following;
    const std::string failure = Failure([&] {
      session_->ExecuteInBlocks(CommandType::Text, row.sql, none, 0, 2, [](ResultSet&) {}, &following);
      if (!following.empty() && following.back().deferred_failure) throw *following.back().deferred_failure;
    });
    session_->RestrictToReading(false);
    EXPECT_THAT(failure, row.allowed ? ::testing::Matcher<std::string>(::testing::IsEmpty()) : HasSubstr("authoriz"))
        << row.sql;
  }
  EXPECT_EQ(Scalar("SELECT group_concat(Tab_Parametro_Sistema_ID || '=' || Parametro) FROM Tab_Parametro_Sistema"), before);
  EXPECT_FALSE(std::filesystem::exists(other)) << "nothing attached";
  // Lifted, the session writes again: the library's own statements are not affected.
  EXPECT_EQ(Failure([&] { Run("UPDATE Tab_Parametro_Sistema SET Parametro = Parametro WHERE 0"); }), "");
}

using SqliteKeptStatements = SqliteTest;

// A SELECT run again is not compiled again, so what it says of its columns must follow every change of what its
// names mean, on this session or through a pragma.
TEST_F(SqliteKeptStatements, ARepeatedSelectFollowsTheSchemaAndItsBindings) {
  const char* select = "SELECT * FROM t";
  const auto columns = [&] {
    std::vector<std::string> names;
    const std::vector<ResultSet> results = Run(select);
    for (const ColumnInfo& column : results.at(0).columns) names.push_back(column.name);
    return names;
  };
  Run("CREATE TABLE t (a INTEGER)");
  EXPECT_EQ(columns(), std::vector<std::string>{"a"});
  const struct { const char* change; std::vector<std::string> seen; } rows[] = {
      {"ALTER TABLE t ADD COLUMN b", {"a", "b"}},
      {"CREATE TEMP TABLE t (x, y, z)", {"x", "y", "z"}},  // a temporary table hides the table of the same name
      {"DROP TABLE temp.t; DROP TABLE t; CREATE TABLE t (d NUMERIC(10,2))", {"d"}},
  };
  for (const auto& row : rows) {
    Run(row.change);
    EXPECT_EQ(columns(), row.seen) << row.change;
  }
}

// An existing file (number 58, named in the message) or a missing folder is refused, and nothing is written.
TEST(SqliteCreateDatabase, RefusesAnExistingFileOrAMissingFolder) {
  tpl::testing::TempFolder folder;
  const std::string file = (folder.path() / "existente.db").string();
  std::ofstream(file) << "conteúdo";
  EXPECT_THAT(Failure([&] { CreateEmbeddedDatabase(file); }), AllOf(StartsWith("58: "), HasSubstr(file)));
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "conteúdo");
  const auto missing = folder.path() / "nao_existe" / "novo.db";
  EXPECT_THROW(CreateEmbeddedDatabase(missing.string()), RuntimeError);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace tpl::db::testing

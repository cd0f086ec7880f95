// One small report shown on screen, end to end: gExecutar_Query through
// late binding on the embedded database, a ten-row query without filters.
//
// Beside it, the floor: bare SQLite statements doing the same database
// work the call does (five system-parameter reads, the generation
// log opened and closed, each in its own transaction as the procedure runs
// it, and the query itself, its rows read). The ratio of the two is what
// the library's layers cost on a small call.
//
// With the connection pool the call opens one session instead of eight;
// BM_SmallReportCallWithoutPool shows what that saves.
//
// Each runs on a database in memory (/dev/shm) and on one on disk, where
// every commit waits for the file system: /0 and /1.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "database/connection_pool.h"
#include "bench_database.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

constexpr const char* kQuery = "SELECT ID, CLIENTE, EMISSAO, VALOR FROM VENDA WHERE ID <= 10 ORDER BY ID";

constexpr const char* kFillScript =
    "CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(20), EMISSAO DATETIME, VALOR NUMERIC(10,2));"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
    "INSERT INTO VENDA SELECT i, 'cliente ' || i, '2001/10/13 08:00:00', i * 10.5 FROM n;"
    "UPDATE Tab_Parametro_Sistema SET Parametro = '100' WHERE Tab_Parametro_Sistema_ID = 23042;";

// A hundred sales rows; the screen shows up to a hundred lines. Argument
// 0 of a benchmark: in memory; 1: on disk.
const std::string& DatabaseFile(const benchmark::State& state) {
  static const bench::BenchDatabase in_memory(kFillScript, true);
  static const bench::BenchDatabase on_disk(kFillScript, false);
  return state.range(0) == 0 ? in_memory.file() : on_disk.file();
}

void RunSmallReport(benchmark::State& state) {
  TPL tpl;
  const std::vector<Variant> arguments = {
      Variant("Data Source=" + DatabaseFile(state)), Variant::Long(5), Variant(), Variant("SQLSERVER"),
      Variant(kQuery), Variant(), Variant::Integer(0), Variant::Integer(7), Variant(), Variant(), Variant(),
      Variant(), Variant("Vendas"), Variant("Outubro"), Variant::Long(12), Variant("N"), Variant(""), Variant(),
      Variant("N")};
  for (auto _ : state) {
    std::vector<Variant> args = arguments;
    const Variant result = tpl.Invoke("gExecutar_Query", args);
    if (result != Variant::Integer(0)) state.SkipWithError("the report did not run");
    benchmark::DoNotOptimize(args);
  }
}

void BM_SmallReportCall(benchmark::State& state) {
  db::ConnectionPool::Shared().SetLimits({});
  RunSmallReport(state);
}
BENCHMARK(BM_SmallReportCall)->Arg(0)->Arg(1);

void BM_SmallReportCallWithoutPool(benchmark::State& state) {
  db::ConnectionPool::Shared().SetLimits({0, 0, {}});
  RunSmallReport(state);
  db::ConnectionPool::Shared().SetLimits({});
}
BENCHMARK(BM_SmallReportCallWithoutPool)->Arg(0)->Arg(1);

// ---- The floor: the same work on one bare connection

void Step(sqlite3* connection, const char* sql, bool read_rows = false) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) std::abort();
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    if (!read_rows) continue;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
    }
  }
  if (result != SQLITE_DONE) std::abort();
  sqlite3_finalize(statement);
}

void ReadParameter(sqlite3* connection, int id) {
  const std::string sql =
      "SELECT Parametro FROM Tab_Parametro_Sistema WHERE Tab_Parametro_Sistema_ID = " + std::to_string(id);
  Step(connection, sql.c_str(), true);
}

// The database work of one call on an open connection.
void RunBareStatements(sqlite3* connection) {
  for (int id : {2001780, 15000, 7018}) ReadParameter(connection, id);
  Step(connection, "BEGIN IMMEDIATE");
  Step(connection,
       "INSERT INTO LOG_TEMPLATE_DINAMICO (USUARIO_INTERNET_ID, TEMPLATE_DINAMICO_ID, DATA_INICIO) "
       "VALUES ('5', 12, datetime('now', 'localtime'))");
  const std::string close_log = "UPDATE LOG_TEMPLATE_DINAMICO SET DATA_FIM = datetime('now', 'localtime') "
                                "WHERE LOG_TEMPLATE_DINAMICO_ID = " +
                                std::to_string(sqlite3_last_insert_rowid(connection));
  Step(connection, "COMMIT");
  Step(connection, kQuery, true);
  Step(connection, "BEGIN IMMEDIATE");
  Step(connection, close_log.c_str());
  Step(connection, "COMMIT");
  for (int id : {23042, 5070}) ReadParameter(connection, id);
}

sqlite3* OpenBare(const std::string& file) {
  sqlite3* connection = nullptr;
  if (sqlite3_open_v2(file.c_str(), &connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
    std::abort();
  return connection;
}

// A connection opened per run, with SQLite's default durability.
void BM_BareStatements(benchmark::State& state) {
  const std::string file = DatabaseFile(state);
  for (auto _ : state) {
    sqlite3* connection = OpenBare(file);
    RunBareStatements(connection);
    sqlite3_close(connection);
  }
}
BENCHMARK(BM_BareStatements)->Arg(0)->Arg(1);

// The stricter floor: one connection kept open across runs, as the pool
// keeps the library's session, with the durability the library asks for
// (synchronous=NORMAL in WAL mode). Statements are still prepared per run.
void BM_BareStatementsKeptOpen(benchmark::State& state) {
  sqlite3* connection = OpenBare(DatabaseFile(state));
  Step(connection, "PRAGMA synchronous=NORMAL");
  for (auto _ : state) RunBareStatements(connection);
  sqlite3_close(connection);
}
BENCHMARK(BM_BareStatementsKeptOpen)->Arg(0)->Arg(1);

}  // namespace
}  // namespace tpl

BENCHMARK_MAIN();

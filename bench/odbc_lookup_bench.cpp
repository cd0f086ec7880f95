// A routine's open, query and close over ODBC against a real server: the
// system-parameter lookup, 200 times, with the connection pool and
// without it. Without the pool every lookup is a full network log-in.
//
// The server is the tests' PostgreSQL (scripts/pg_server.sh start); its
// connection string comes from $TPL_TEST_POSTGRES or .pg_server/connection.
// Without a server the benchmarks say so and measure nothing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "database/connection_pool.h"
#include "database/recordset.h"
#include "conventions/system_parameters.h"
#include "tpl/variant.h"

namespace tpl {
namespace {

constexpr int kLookups = 200;

std::string ServerConnectionString() {
  if (const char* value = std::getenv("TPL_TEST_POSTGRES"); value != nullptr && *value != '\0') return value;
  std::ifstream file(TPL_SOURCE_DIR "/.pg_server/connection");
  std::string line;
  std::getline(file, line);
  return line;
}

// Makes the parameter table on the server, once, with the row looked up.
bool PrepareServer(const std::string& connection_string) {
  static const bool ready = [&] {
    const db::CallLimits outside = db::CallLimits::OutsideAnyCall();
    try {
      db::Recordset().Open(
          "CREATE TABLE IF NOT EXISTS Tab_Parametro_Sistema (Tab_Parametro_Sistema_ID INTEGER PRIMARY KEY, "
          "Parametro VARCHAR(255), Descricao VARCHAR(255))",
          connection_string, outside);
      db::Recordset().Open("DELETE FROM Tab_Parametro_Sistema WHERE Tab_Parametro_Sistema_ID = 2001780",
                           connection_string, outside);
      db::Recordset().Open("INSERT INTO Tab_Parametro_Sistema VALUES (2001780, '90', 'tempo limite')",
                           connection_string, outside);
      return true;
    } catch (const RuntimeError&) {
      return false;
    }
  }();
  return ready;
}

void RunLookups(benchmark::State& state, const db::ConnectionPoolLimits& limits) {
  const std::string connection_string = ServerConnectionString();
  if (connection_string.empty() || !PrepareServer(connection_string)) {
    state.SkipWithError("no PostgreSQL server: start one with scripts/pg_server.sh start");
    return;
  }
  db::ConnectionPool::Shared().SetLimits(limits);
  const Variant kind("SQLSERVER"), user(Variant::Long(5)), connection(connection_string);
  for (auto _ : state) {
    for (int i = 0; i < kLookups; ++i) {
      Variant message, value("");
      const CallContext call(connection, user, kind, message);
      if (!mBusca_Tab_Parametro_Sistema(call, system_parameters::kCommandTimeout, value) ||
          value != Variant("90")) {
        state.SkipWithError("the lookup failed");
        break;
      }
    }
  }
  db::ConnectionPool::Shared().SetLimits({});
  state.SetItemsProcessed(state.iterations() * kLookups);
}

void BM_ParameterLookupsOverOdbcPooled(benchmark::State& state) { RunLookups(state, {}); }
BENCHMARK(BM_ParameterLookupsOverOdbcPooled)->Unit(benchmark::kMillisecond);

void BM_ParameterLookupsOverOdbcWithoutPool(benchmark::State& state) { RunLookups(state, {0, 0, {}}); }
BENCHMARK(BM_ParameterLookupsOverOdbcWithoutPool)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tpl

BENCHMARK_MAIN();

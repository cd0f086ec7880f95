// The result matrix of a 100,000-row x 10-column report on the embedded
// database, beside a bare sqlite3 loop that reads the same rows into
// strings. Run: build/bench/result_matrix_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/database/command.h"
#include "bench_database.h"
#include "report/query_execution.h"
#include "report/result_matrix.h"

namespace {

constexpr int kRows = 100000;

const char kQuery[] =
    "SELECT ID, QTDE, PRECO, TOTAL, NOME, CIDADE, EMISSAO, VENCIMENTO, SITUACAO, OBS "
    "FROM VENDA ORDER BY ID";

// One database for the whole run, made once.
const tpl::bench::BenchDatabase& Database() {
  static const tpl::bench::BenchDatabase database(
      "CREATE TABLE VENDA (ID INTEGER, QTDE INTEGER, PRECO NUMERIC(12,2), "
      "TOTAL NUMERIC(12,2), NOME VARCHAR(40), CIDADE VARCHAR(30), EMISSAO DATETIME, "
      "VENCIMENTO DATE, SITUACAO CHAR(1), OBS VARCHAR(20));"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
      "INSERT INTO VENDA SELECT i, i % 97, (i % 1000) / 4.0, i * 1.25, "
      "'Cliente ' || i, 'Cidade ' || (i % 50), "
      "printf('2026-%02d-%02d 10:20:00', 1 + i % 12, 1 + i % 28), "
      "printf('2027-%02d-%02d', 1 + i % 12, 1 + i % 28), "
      "CASE i % 3 WHEN 0 THEN 'A' ELSE 'B' END, 'obs ' || (i % 7) FROM n;",
      false);
  return database;
}

// Bytes held by a matrix: the cells themselves and the texts too long to
// live inside their Variant.
size_t MatrixBytes(const tpl::Array& cells) {
  size_t bytes = cells.size() * sizeof(tpl::Variant);
  for (const tpl::Variant& cell : cells.elements()) {
    if (cell.IsString() && cell.AsString().capacity() > 15) bytes += cell.AsString().capacity() + 1;
  }
  return bytes;
}

void BM_BareSqliteIntoStrings(benchmark::State& state) {
  const std::string& file = Database().file();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    std::vector<std::string> cells;
    cells.reserve(kRows * 10);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int c = 0; c < 10; ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        cells.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    benchmark::DoNotOptimize(cells.data());
  }
  state.counters["rows"] = kRows;
}
BENCHMARK(BM_BareSqliteIntoStrings)->Unit(benchmark::kMillisecond);

// The provider's share: the rows fetched into the client cursor, no matrix.
void BM_FetchRowsOnly(benchmark::State& state) {
  std::string connection = "Data Source=" + Database().file();
  for (auto _ : state) {
    tpl::db::Connection session(connection);
    tpl::db::Command command(session);
    command.SetCommandText(tpl::ReportCommandText(kQuery));
    tpl::db::Recordset recordset = command.Execute();
    benchmark::DoNotOptimize(recordset.RecordCount());
  }
}
BENCHMARK(BM_FetchRowsOnly)->Unit(benchmark::kMillisecond);

void BM_ResultMatrix(benchmark::State& state) {
  std::string connection = "Data Source=" + Database().file();
  size_t bytes = 0;
  size_t cells = 0;
  for (auto _ : state) {
    tpl::db::Connection session(connection);
    tpl::db::Command command(session);
    command.SetCommandText(tpl::ReportCommandText(kQuery));
    tpl::db::Recordset recordset = command.Execute();
    tpl::ResultMatrix matrix = tpl::BuildResultMatrix(recordset.Current(), {});
    bytes = MatrixBytes(matrix.cells);
    cells = matrix.cells.size();
    benchmark::DoNotOptimize(matrix.cells.elements().data());
  }
  state.counters["matrix_bytes_per_cell"] = static_cast<double>(bytes) / cells;
  state.counters["matrix_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ResultMatrix)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The result matrix of a 10-column report on the embedded database, at
// 100,000 and at 1,000,000 rows, beside a bare sqlite3 loop that reads the
// same rows into strings.
//
// Time: BM_BareSqliteLoop, BM_FetchRowsOnly (the provider's share: the rows
// fetched, no matrix) and BM_ResultMatrix (rows fetched and laid out as the
// result matrix, as mExecutar_Query does).
//
// Memory: BM_PeakMemory runs one bare loop or one matrix build in a child
// process of its own and reports how far the child's resident memory rose
// above what it held before (peak_MiB), beside the bytes the finished
// matrix holds (matrix_MiB) and their ratio. A fresh process is the only
// place where the peak belongs to the one run measured.
//
// Run: build/bench/result_matrix_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_database.h"
#include "database/command.h"
#include "report/query_execution.h"
#include "report/result_matrix.h"

namespace {

constexpr int kMostRows = 1000000;
constexpr int kColumns = 10;

std::string Query(int rows) {
  return "SELECT ID, QTDE, PRECO, TOTAL, NOME, CIDADE, EMISSAO, VENCIMENTO, SITUACAO, OBS "
         "FROM VENDA WHERE ID <= " +
         std::to_string(rows) + " ORDER BY ID";
}

const char kFillScript[] =
    "CREATE TABLE VENDA (ID INTEGER PRIMARY KEY, QTDE INTEGER, PRECO NUMERIC(12,2), "
    "TOTAL NUMERIC(12,2), NOME VARCHAR(40), CIDADE VARCHAR(30), EMISSAO DATETIME, "
    "VENCIMENTO DATE, SITUACAO CHAR(1), OBS VARCHAR(20));"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
    "INSERT INTO VENDA SELECT i, i % 97, (i % 1000) / 4.0, i * 1.25, "
    "'Cliente ' || i, 'Cidade ' || (i % 50), "
    "printf('2026/%02d/%02d 10:20:00', 1 + i % 12, 1 + i % 28), "
    "printf('2027/%02d/%02d', 1 + i % 12, 1 + i % 28), "
    "CASE i % 3 WHEN 0 THEN 'A' ELSE 'B' END, 'obs ' || (i % 7) FROM n;";

// One database for the whole run, made once, on disk.
const std::string& DatabaseFile() {
  static const tpl::bench::BenchDatabase database(kFillScript, false);
  return database.file();
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

// ---- The work measured, shared by the timed runs and the memory child

size_t BareLoop(const std::string& file, int rows) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  const std::string query = Query(rows);
  sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr);
  std::vector<std::string> cells;
  cells.reserve(static_cast<size_t>(rows) * kColumns);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int c = 0; c < kColumns; ++c) {
      const unsigned char* text = sqlite3_column_text(statement, c);
      cells.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  benchmark::DoNotOptimize(cells.data());
  return cells.size() * sizeof(std::string);
}

tpl::db::Recordset FetchRows(const std::string& file, int rows) {
  tpl::db::Connection session("Data Source=" + file, tpl::db::CallLimits::OutsideAnyCall());
  tpl::db::Command command(session);
  command.SetCommandText(tpl::ReportCommandText(Query(rows)));
  return command.Execute();
}

// As mExecutar_Query does: the matrix laid out as the rows are fetched.
tpl::ResultMatrix BuildMatrix(const std::string& file, int rows) {
  tpl::db::Connection session("Data Source=" + file, tpl::db::CallLimits::OutsideAnyCall());
  tpl::db::Command command(session);
  command.SetCommandText(tpl::ReportCommandText(Query(rows)));
  tpl::ResultMatrixBuilder builder({});
  std::vector<tpl::db::ResultSet> row_sets;
  command.ExecuteInBlocks(tpl::kResultMatrixRowsPerBlock, builder.receiver(), &row_sets);
  return builder.Finish(row_sets.front().columns);
}

// ---- Time

void BM_BareSqliteLoop(benchmark::State& state) {
  const std::string& file = DatabaseFile();
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) BareLoop(file, rows);
  state.counters["rows"] = rows;
}
BENCHMARK(BM_BareSqliteLoop)->Arg(100000)->Arg(kMostRows)->Unit(benchmark::kMillisecond);

void BM_FetchRowsOnly(benchmark::State& state) {
  const std::string& file = DatabaseFile();
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    tpl::db::Recordset recordset = FetchRows(file, rows);
    benchmark::DoNotOptimize(recordset.RecordCount());
  }
}
BENCHMARK(BM_FetchRowsOnly)->Arg(100000)->Arg(kMostRows)->Unit(benchmark::kMillisecond);

void BM_ResultMatrix(benchmark::State& state) {
  const std::string& file = DatabaseFile();
  const int rows = static_cast<int>(state.range(0));
  size_t bytes = 0;
  size_t cells = 0;
  for (auto _ : state) {
    tpl::ResultMatrix matrix = BuildMatrix(file, rows);
    benchmark::DoNotOptimize(matrix.cells.elements().data());
    // Counting the matrix's bytes is no part of the work measured.
    state.PauseTiming();
    bytes = MatrixBytes(matrix.cells);
    cells = matrix.cells.size();
    state.ResumeTiming();
  }
  state.counters["matrix_bytes_per_cell"] = static_cast<double>(bytes) / static_cast<double>(cells);
  state.counters["matrix_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ResultMatrix)->Arg(100000)->Arg(kMostRows)->Unit(benchmark::kMillisecond);

// ---- Peak memory, in a child process

constexpr char kChildFlag[] = "--peak-child";

long ResidentKiB() {
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The child: runs the work once and prints "<rise KiB> <matrix bytes>".
int RunChild(const std::string& what, int rows, const std::string& file) {
  const long before = ResidentKiB();
  size_t matrix_bytes = 0;
  if (what == "matrix") {
    tpl::ResultMatrix matrix = BuildMatrix(file, rows);
    matrix_bytes = MatrixBytes(matrix.cells);
  } else {
    matrix_bytes = BareLoop(file, rows);
  }
  std::printf("%ld %zu\n", PeakKiB() - before, matrix_bytes);
  return 0;
}

void PeakMemory(benchmark::State& state, const char* what) {
  const std::string& file = DatabaseFile();
  const int rows = static_cast<int>(state.range(0));
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) state.SkipWithError("no /proc/self/exe");
  const std::string command =
      std::string(self) + " " + kChildFlag + " " + what + " " + std::to_string(rows) + " '" + file + "'";
  long rise_kib = 0;
  size_t bytes = 0;
  for (auto _ : state) {
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr || std::fscanf(child, "%ld %zu", &rise_kib, &bytes) != 2) {
      state.SkipWithError("the child process gave no figures");
    }
    if (child != nullptr) pclose(child);
  }
  state.counters["peak_MiB"] = static_cast<double>(rise_kib) / 1024.0;
  state.counters["result_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
  state.counters["peak_per_result"] = static_cast<double>(rise_kib) * 1024.0 / static_cast<double>(bytes);
}

void BM_PeakMemoryBareLoop(benchmark::State& state) { PeakMemory(state, "bare"); }
BENCHMARK(BM_PeakMemoryBareLoop)->Arg(100000)->Arg(kMostRows)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PeakMemoryResultMatrix(benchmark::State& state) { PeakMemory(state, "matrix"); }
BENCHMARK(BM_PeakMemoryResultMatrix)->Arg(100000)->Arg(kMostRows)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], kChildFlag) == 0) return RunChild(argv[2], std::atoi(argv[3]), argv[4]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

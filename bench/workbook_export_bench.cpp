// The spreadsheet export of a 100,000-row x 10-column result matrix, beside
// a bare libxlsxwriter loop (default mode) that writes the same cells with
// the same formats, merges and table but converts and measures nothing.
// Each reports the resident memory before its first export (the matrices)
// and the peak of the process; run one at a time for figures of its own:
//   build/bench/workbook_export_bench --benchmark_filter=BM_GeraExcel
//   build/bench/workbook_export_bench --benchmark_filter=BM_BareLibxlsxwriter
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/embedded_database.h"
#include "tpl/tpl.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 10;
// The type code and format of each column, as the export chooses them.
constexpr const char* kTypes[kColumns] = {"I", "I", "V", "V", "T", "T", "D", "D", "T", "T"};
constexpr const char* kFormats[kColumns] = {"0", "0", "0.00", "0.00", "@", "@",
                                            "dd/mm/yyyy hh:mm:ss", "dd/mm/yyyy", "@", "@"};

namespace fs = std::filesystem;

// A folder and a database whose workbook folder it is, for the whole run.
class BenchFolder {
 public:
  BenchFolder() {
    std::string name = (fs::temp_directory_path() / "tpl-xlsx-bench-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    folder_ = name;
    const std::string file = (folder_ / "bench.db").string();
    tpl::db::CreateEmbeddedDatabase(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    const std::string sql = "UPDATE Tab_Parametro_Sistema SET Parametro = '" + folder_.string() +
                            "/' WHERE Tab_Parametro_Sistema_ID = 23017";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    connection_ = "Data Source=" + file;
  }
  ~BenchFolder() { fs::remove_all(folder_); }
  const fs::path& folder() const { return folder_; }
  const std::string& connection() const { return connection_; }

 private:
  fs::path folder_;
  std::string connection_;
};

const BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

// The result matrix of a sales report as a report run returns it: whole
// numbers, decimal texts with a comma, names, dates, then "DET", the type
// row and the alignment row.
const tpl::Array& SalesMatrix() {
  static const tpl::Array matrix = [] {
    tpl::Array cells = tpl::Array::Matrix(kRows + 2, kColumns + 1);
    const char* captions[kColumns] = {"ID",     "QTDE",    "PRECO",      "TOTAL",    "NOME",
                                      "CIDADE", "EMISSAO", "VENCIMENTO", "SITUACAO", "OBS"};
    tpl::Date emission, due;
    for (int c = 0; c < kColumns; ++c) {
      cells.at(0, c) = captions[c];
      cells.at(kRows + 1, c) = kTypes[c];
    }
    for (int r = 1; r <= kRows; ++r) {
      tpl::TryMakeDate({2026, 1 + r % 12, 1 + r % 28, 10, 20, 0}, emission);
      tpl::TryMakeDate({2027, 1 + r % 12, 1 + r % 28}, due);
      cells.at(r, 0) = tpl::Variant::Long(r);
      cells.at(r, 1) = tpl::Variant::Long(r % 97);
      cells.at(r, 2) = std::to_string(r % 1000 / 4) + "," + std::to_string(10 + r % 90);
      cells.at(r, 3) = std::to_string(r + r / 4) + "," + std::to_string(10 + r % 90);
      cells.at(r, 4) = "Cliente " + std::to_string(r);
      cells.at(r, 5) = "Cidade " + std::to_string(r % 50);
      cells.at(r, 6) = emission;
      cells.at(r, 7) = due;
      cells.at(r, 8) = r % 3 == 0 ? "A" : "B";
      cells.at(r, 9) = "obs " + std::to_string(r % 7);
      cells.at(r, kColumns) = "DET";
      cells.at(r, kColumns + 1) = "";
    }
    return cells;
  }();
  return matrix;
}

double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Resident memory now: what the matrices hold before the first export.
double ResidentMiB() {
  long pages = 0, resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

void RemoveWorkbooks() {
  for (const auto& entry : fs::directory_iterator(Folder().folder()))
    if (entry.path().extension() == ".xlsx") fs::remove(entry.path());
}

void BM_GeraExcel(benchmark::State& state) {
  tpl::TPL component;
  SalesMatrix();
  state.counters["before_MiB"] = ResidentMiB();
  for (auto _ : state) {
    state.PauseTiming();
    tpl::Variant connection(Folder().connection()), user = tpl::Variant::Long(57), message,
        kind("SQLSERVER"), title("Vendas"), subtitle("Outubro"),
        lines = tpl::Variant::Long(kRows + 2), columns = tpl::Variant::Long(kColumns + 1),
        matrix(SalesMatrix()), name;
    state.ResumeTiming();
    tpl::Variant result = component.gGera_Excel(connection, user, message, kind, title, subtitle,
                                                lines, columns, matrix, name);
    state.PauseTiming();
    if (!(result == tpl::Variant::Integer(0))) state.SkipWithError(tpl::CStr(message).c_str());
    RemoveWorkbooks();
    state.ResumeTiming();
  }
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_GeraExcel)->Unit(benchmark::kMillisecond);

// The cells as the export writes them: decimals already numbers, dates
// already serials.
struct BareCell {
  double number = 0;
  std::string text;
  bool is_text = false;
};

void BM_BareLibxlsxwriter(benchmark::State& state) {
  std::vector<BareCell> cells(static_cast<size_t>(kRows) * kColumns);
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const tpl::Variant& value = SalesMatrix().at(r, c);
      BareCell& cell = cells[static_cast<size_t>(r - 1) * kColumns + c];
      if (value.IsString() && kTypes[c][0] == 'V') {
        cell.number = tpl::CDbl(value);
      } else if (value.IsString()) {
        cell.text = value.AsString(), cell.is_text = true;
      } else {
        cell.number = value.type() == tpl::VarType::Date ? value.AsDate().serial : tpl::CDbl(value);
      }
    }
  }
  const std::string file = (Folder().folder() / "bare.xlsx").string();
  state.counters["before_MiB"] = ResidentMiB();
  for (auto _ : state) {
    lxw_workbook* book = workbook_new(file.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Rel_Dinamico");
    workbook_add_worksheet(book, "Planilha1");
    lxw_format* heading = workbook_add_format(book);
    format_set_bold(heading);
    format_set_align(heading, LXW_ALIGN_CENTER);
    lxw_format* formats[kColumns];
    lxw_table_column columns[kColumns] = {};
    lxw_table_column* column_list[kColumns + 1] = {};
    for (int c = 0; c < kColumns; ++c) {
      formats[c] = workbook_add_format(book);
      format_set_num_format(formats[c], kFormats[c]);
      columns[c].header = const_cast<char*>(SalesMatrix().at(0, c).AsString().c_str());
      columns[c].header_format = heading;
      column_list[c] = &columns[c];
    }
    worksheet_merge_range(sheet, 0, 0, 0, kColumns - 1, "Vendas", heading);
    worksheet_merge_range(sheet, 1, 0, 1, kColumns - 1, "Outubro", heading);
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        const BareCell& cell = cells[static_cast<size_t>(r) * kColumns + c];
        if (cell.is_text) {
          worksheet_write_string(sheet, r + 3, c, cell.text.c_str(), formats[c]);
        } else {
          worksheet_write_number(sheet, r + 3, c, cell.number, formats[c]);
        }
      }
    }
    lxw_table_options options = {};
    options.name = const_cast<char*>("Dinamico");
    options.columns = column_list;
    worksheet_add_table(sheet, 2, 0, kRows + 2, kColumns - 1, &options);
    for (int c = 0; c < kColumns; ++c) worksheet_set_column(sheet, c, c, 12, nullptr);
    worksheet_set_selection(sheet, 2, 0, 2, 0);
    workbook_close(book);
    fs::remove(file);
  }
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_BareLibxlsxwriter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

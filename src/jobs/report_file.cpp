#include "jobs/report_file.h"

#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include "output/report_sheet.h"
#include "platform/workbook/workbook.h"
#include "report/result_matrix.h"
#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl::jobs {
namespace {

constexpr int32_t kTitleRow = 1;
constexpr int32_t kSubtitleRow = 2;
constexpr int32_t kHeaderRow = 3;
constexpr int32_t kFileError = 75;  // the platform's path/file access error

// Walks the fetched rows block by block, each as a result matrix.
class MatrixBlocks {
 public:
  MatrixBlocks(db::ResultSet& rows, const Variant& zero_display_flag) : rows_(rows) {
    rules_.zero_display_flag = zero_display_flag;
  }

  int64_t total() const { return static_cast<int64_t>(rows_.row_count()); }
  int32_t fields() const { return static_cast<int32_t>(rows_.columns.size()); }

  // The next block's matrix (rows 1 to n the data, n + 1 the type row);
  // false when every row was given.
  bool Next(ResultMatrix& block) {
    if (next_ >= total() && next_ > 0) return false;
    const int64_t end = std::min(total(), next_ + kRowsPerBlock);
    db::ResultSet part;
    part.columns = rows_.columns;
    const size_t width = rows_.columns.size();
    for (int64_t r = next_; r < end; ++r)
      for (size_t c = 0; c < width; ++c) part.cells.push_back(std::move(rows_.cells[r * width + c]));
    block = BuildResultMatrix(part, rules_);
    next_ = end == next_ ? total() + 1 : end;  // an empty result gives one empty block
    return true;
  }

 private:
  db::ResultSet& rows_;
  ResultMatrixRules rules_;
  int64_t next_ = 0;
};

enum class Conversion { None, Date, Decimal };

struct ColumnPlan {
  Conversion conversion = Conversion::None;
  workbook::Style style;
};

// The column's look from its type code and first value, as the export
// chooses it.
ColumnPlan PlanColumn(workbook::Workbook& book, const Variant& block, int32_t column,
                      const std::string& type) {
  workbook::CellStyle look;
  bool formatted = false;
  if (type.empty() || type == "V" || type == "D") {
    look.number_format = mObter_Formato_Coluna(mObter_Valor_Amostra(block, column));
    formatted = true;
  }
  if (type == "D") look.centred = true;
  if (type == "I" || type == "T") {
    look.number_format = type == "I" ? "0" : "@";
    formatted = true;
  }
  ColumnPlan plan;
  plan.conversion = type == "D" ? Conversion::Date : type == "V" ? Conversion::Decimal : Conversion::None;
  if (formatted) plan.style = book.AddStyle(look);
  return plan;
}

void Convert(Variant& cell, Conversion conversion) {
  if (conversion == Conversion::Decimal) {
    cell = Variant(CDbl(mNormaliza_Numero(cell)));
  } else if (conversion == Conversion::Date) {
    Date date;
    if (cell.type() == VarType::Date) {
      if (TryMakeDate(SplitDate(cell.AsDate()), date)) cell = Variant(date);
    } else if (TryParseDate(TrimmedText(cell), date)) {
      cell = Variant(date);
    }
  }
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::random_device random;
  return target.parent_path() /
         ("." + target.filename().string() + "." + std::to_string(random()) + ".tmp");
}

}  // namespace

void WriteWorkbookFile(db::ResultSet& rows, const std::filesystem::path& target,
                       const FileContent& content) {
  MatrixBlocks blocks(rows, content.zero_display_flag);
  const int64_t total = blocks.total();
  const int32_t fields = blocks.fields();
  if (fields < 1) Raise(workbook::kSpreadsheetError);
  workbook::Workbook book(target, {.constant_memory = total > kConstantMemoryRows});
  workbook::Worksheet sheet = book.AddWorksheet("Rel_Dinamico");
  book.AddWorksheet("Planilha1");
  sheet.CheckRange(kHeaderRow, 1, static_cast<int32_t>(std::min<int64_t>(total + 5, INT32_MAX)), fields);
  const workbook::Style heading = book.AddStyle({.bold = true, .centred = true, .number_format = ""});
  sheet.MergeRow(kTitleRow, 1, fields, Trim(content.title), heading);
  sheet.MergeRow(kSubtitleRow, 1, fields, Trim(content.subtitle), heading);

  std::vector<ColumnPlan> plans;
  int64_t written = 0;
  ResultMatrix block;
  while (blocks.Next(block)) {
    const int32_t data_rows = block.line_count - 2;
    Variant cells(std::move(block.cells));
    Array& matrix = cells.AsArray();
    if (plans.empty()) {
      std::vector<std::string> captions;
      for (int32_t column = 0; column < fields; ++column) {
        plans.push_back(PlanColumn(book, cells, column,
                                   TextOrEmpty(matrix.at(block.line_count - 1, column))));
        captions.push_back(TextOrEmpty(matrix.at(0, column)));
      }
      sheet.AddTable("Dinamico", kHeaderRow, 1, static_cast<int32_t>(kHeaderRow + total),
                     std::move(captions), heading);
    }
    for (int32_t row = 1; row <= data_rows; ++row) {
      const int32_t sheet_row = static_cast<int32_t>(kHeaderRow + written + row);
      for (int32_t column = 0; column < fields; ++column) {
        Variant& cell = matrix.at(row, column);
        Convert(cell, plans[column].conversion);
        sheet.Write(sheet_row, column + 1, cell, plans[column].style);
      }
    }
    written += data_rows;
    if (content.progress) content.progress(written, total);
  }
  // The column formats reach the two rows below the data, as in the export.
  for (int64_t row = total + kHeaderRow + 1; row <= total + kHeaderRow + 2; ++row)
    for (int32_t column = 0; column < fields; ++column)
      if (plans[column].style.index != 0)
        sheet.Write(static_cast<int32_t>(row), column + 1, Variant(), plans[column].style);
  sheet.FitColumns();
  sheet.Select(kHeaderRow, 1);
  book.Save();
}

std::string TextField(const std::string& value) {
  if (value.find_first_of(";\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void WriteTextFile(db::ResultSet& rows, const std::filesystem::path& target,
                   const FileContent& content) {
  MatrixBlocks blocks(rows, content.zero_display_flag);
  const int64_t total = blocks.total();
  const int32_t fields = blocks.fields();
  const std::filesystem::path temporary = TemporaryBeside(target);
  struct Cleanup {
    const std::filesystem::path& path;
    bool keep = false;
    ~Cleanup() {
      std::error_code ignored;
      if (!keep) std::filesystem::remove(path, ignored);
    }
  } cleanup{temporary};
  std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
  if (!file) throw RuntimeError(kFileError, "Não foi possível gravar o arquivo " + target.string());

  auto write_line = [&](const Array& matrix, int32_t row) {
    std::string line;
    for (int32_t column = 0; column < fields; ++column) {
      if (column > 0) line += ';';
      line += TextField(TextOrEmpty(matrix.at(row, column)));
    }
    line += "\r\n";
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
  };
  int64_t written = 0;
  ResultMatrix block;
  bool header_written = false;
  while (blocks.Next(block)) {
    if (!header_written) {
      write_line(block.cells, 0);
      header_written = true;
    }
    for (int32_t row = 1; row <= block.line_count - 2; ++row) write_line(block.cells, row);
    written += block.line_count - 2;
    if (content.progress) content.progress(written, total);
  }
  file.close();
  if (!file) throw RuntimeError(kFileError, "Não foi possível gravar o arquivo " + target.string());
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) throw RuntimeError(kFileError, "Não foi possível gravar o arquivo " + target.string());
  cleanup.keep = true;
}

}  // namespace tpl::jobs

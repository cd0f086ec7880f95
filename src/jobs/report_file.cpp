#include "jobs/report_file.h"

#include <fstream>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "output/report_sheet.h"
#include "workbook/workbook.h"
#include "report/result_matrix.h"
#include "conventions/value_helpers.h"
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

// The column's look and conversion as the export chooses them, its style
// added to this workbook.
struct ColumnPlan {
  CellConversion conversion = CellConversion::None;
  workbook::Style style;
};

ColumnPlan PlanColumn(workbook::Workbook& book, const Variant& block, int32_t column,
                      const std::string& type) {
  const ColumnLook look = ReportColumnLook(block, column, type);
  ColumnPlan plan;
  plan.conversion = look.conversion;
  if (look.style) plan.style = book.AddStyle(*look.style);
  return plan;
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::random_device random;
  return target.parent_path() /
         ("." + target.filename().string() + "." + std::to_string(random()) + ".tmp");
}

// The workbook: rows kept until the way of writing it is known, then
// written block by block.
class WorkbookFileWriter final : public ReportFileWriter {
 public:
  WorkbookFileWriter(std::vector<db::ColumnInfo> columns, const std::filesystem::path& target,
                     const FileContent& content)
      : columns_(std::move(columns)), target_(target), content_(content) {
    if (columns_.empty()) Raise(workbook::kSpreadsheetError);
    rules_.zero_display_flag = content.zero_display_flag;
  }

  void Write(db::ResultSet& block) override {
    if (book_) return WriteBlock(block);
    db::ResultSet kept;
    kept.columns = columns_;
    kept.cells = std::move(block.cells);
    kept_rows_ += static_cast<int64_t>(kept.row_count());
    kept_.push_back(std::move(kept));
    if (kept_rows_ > kConstantMemoryRows) Start(true);
  }

  void Finish() override {
    if (!book_) Start(false);
    if (plans_.empty()) {
      db::ResultSet none;
      none.columns = columns_;
      WriteBlock(none);  // an empty result still gets its header
    }
    if (constant_memory_) sheet_->ExtendTable(static_cast<int32_t>(kHeaderRow + written_));
    // The column formats reach the two rows below the data, as in the export.
    for (int64_t row = written_ + kHeaderRow + 1; row <= written_ + kHeaderRow + 2; ++row)
      for (int32_t column = 0; column < fields(); ++column)
        if (plans_[column].style.index != 0)
          sheet_->Write(static_cast<int32_t>(row), column + 1, Variant(), plans_[column].style);
    sheet_->FitColumns();
    sheet_->Select(kHeaderRow, 1);
    book_->Save();
  }

 private:
  int32_t fields() const { return static_cast<int32_t>(columns_.size()); }

  // Opens the workbook and writes the rows kept so far, letting each
  // block go once written. Below the constant-memory size every row is
  // kept by now, so the row count is exact.
  void Start(bool constant_memory) {
    constant_memory_ = constant_memory;
    book_.emplace(target_, workbook::WorkbookOptions{.constant_memory = constant_memory});
    sheet_.emplace(book_->AddWorksheet("Rel_Dinamico"));
    book_->AddWorksheet("Planilha1");
    if (!constant_memory)
      sheet_->CheckRange(kHeaderRow, 1,
                         static_cast<int32_t>(std::min<int64_t>(kept_rows_ + 5, INT32_MAX)),
                         fields());
    heading_ = book_->AddStyle({.bold = true, .centred = true, .number_format = ""});
    sheet_->MergeRow(kTitleRow, 1, fields(), Trim(content_.title), heading_);
    sheet_->MergeRow(kSubtitleRow, 1, fields(), Trim(content_.subtitle), heading_);
    for (db::ResultSet& block : kept_) {
      WriteBlock(block);
      block = db::ResultSet();
    }
    kept_.clear();
  }

  void WriteBlock(db::ResultSet& block) {
    ResultMatrix matrix_block = BuildResultMatrix(block, rules_);
    const int32_t data_rows = matrix_block.line_count - 2;
    if (constant_memory_)
      sheet_->CheckRange(
          kHeaderRow, 1,
          static_cast<int32_t>(std::min<int64_t>(kHeaderRow + written_ + data_rows + 2, INT32_MAX)),
          fields());
    Variant cells(std::move(matrix_block.cells));
    Array& matrix = cells.AsArray();
    if (plans_.empty()) {
      std::vector<std::string> captions;
      for (int32_t column = 0; column < fields(); ++column) {
        plans_.push_back(PlanColumn(*book_, cells, column,
                                    TextOrEmpty(matrix.at(matrix_block.line_count - 1, column))));
        captions.push_back(TextOrEmpty(matrix.at(0, column)));
      }
      // In constant memory the last row is moved when the rows end.
      sheet_->AddTable("Dinamico", kHeaderRow, 1, static_cast<int32_t>(kHeaderRow + kept_rows_),
                       std::move(captions), heading_);
    }
    for (int32_t row = 1; row <= data_rows; ++row) {
      const auto sheet_row = static_cast<int32_t>(kHeaderRow + written_ + row);
      for (int32_t column = 0; column < fields(); ++column) {
        Variant& cell = matrix.at(row, column);
        ConvertReportCell(cell, plans_[column].conversion);
        sheet_->Write(sheet_row, column + 1, cell, plans_[column].style);
      }
    }
    written_ += data_rows;
    if (content_.progress && data_rows > 0) content_.progress(written_);
  }

  std::vector<db::ColumnInfo> columns_;
  std::filesystem::path target_;
  const FileContent& content_;
  ResultMatrixRules rules_;
  std::vector<db::ResultSet> kept_;
  int64_t kept_rows_ = 0;
  bool constant_memory_ = false;
  std::optional<workbook::Workbook> book_;
  std::optional<workbook::Worksheet> sheet_;
  workbook::Style heading_;
  std::vector<ColumnPlan> plans_;
  int64_t written_ = 0;
};

}  // namespace

std::string TextField(const std::string& value) {
  if (value.find_first_of(";\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

namespace {

// The TXT file: written under a temporary name, line by line.
class TextFileWriter final : public ReportFileWriter {
 public:
  TextFileWriter(std::vector<db::ColumnInfo> columns, const std::filesystem::path& target,
                 const FileContent& content)
      : columns_(std::move(columns)),
        target_(target),
        temporary_(TemporaryBeside(target)),
        content_(content) {
    rules_.zero_display_flag = content.zero_display_flag;
    file_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!file_) Fail();
  }
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;
  ~TextFileWriter() override {
    if (finished_) return;
    file_.close();
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
  }

  void Write(db::ResultSet& block) override {
    const ResultMatrix matrix = BuildResultMatrix(block, rules_);
    if (!header_written_) {
      WriteLine(matrix.cells, 0);
      header_written_ = true;
    }
    for (int32_t row = 1; row <= matrix.line_count - 2; ++row) WriteLine(matrix.cells, row);
    written_ += matrix.line_count - 2;
    if (content_.progress && matrix.line_count > 2) content_.progress(written_);
  }

  void Finish() override {
    if (!header_written_) {
      db::ResultSet none;
      none.columns = columns_;
      Write(none);
    }
    file_.close();
    if (!file_) Fail();
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    if (error) Fail();
    finished_ = true;
  }

 private:
  [[noreturn]] void Fail() const {
    throw RuntimeError(kFileError, "Não foi possível gravar o arquivo " + target_.string());
  }

  void WriteLine(const Array& matrix, int32_t row) {
    std::string line;
    for (size_t column = 0; column < columns_.size(); ++column) {
      if (column > 0) line += ';';
      line += TextField(TextOrEmpty(matrix.at(row, static_cast<int32_t>(column))));
    }
    line += "\r\n";
    file_.write(line.data(), static_cast<std::streamsize>(line.size()));
  }

  std::vector<db::ColumnInfo> columns_;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  const FileContent& content_;
  ResultMatrixRules rules_;
  std::ofstream file_;
  bool header_written_ = false;
  bool finished_ = false;
  int64_t written_ = 0;
};

void WriteWhole(ReportFileWriter& writer, db::ResultSet& rows) {
  db::HandOverInBlocks(rows, kRowsPerBlock, [&](db::ResultSet& block) { writer.Write(block); });
  writer.Finish();
}

}  // namespace

std::unique_ptr<ReportFileWriter> OpenWorkbookFile(std::vector<db::ColumnInfo> columns,
                                                   const std::filesystem::path& target,
                                                   const FileContent& content) {
  return std::make_unique<WorkbookFileWriter>(std::move(columns), target, content);
}

std::unique_ptr<ReportFileWriter> OpenTextFile(std::vector<db::ColumnInfo> columns,
                                               const std::filesystem::path& target,
                                               const FileContent& content) {
  return std::make_unique<TextFileWriter>(std::move(columns), target, content);
}

void WriteWorkbookFile(db::ResultSet& rows, const std::filesystem::path& target,
                       const FileContent& content) {
  WriteWhole(*OpenWorkbookFile(rows.columns, target, content), rows);
}

void WriteTextFile(db::ResultSet& rows, const std::filesystem::path& target,
                   const FileContent& content) {
  WriteWhole(*OpenTextFile(rows.columns, target, content), rows);
}

}  // namespace tpl::jobs

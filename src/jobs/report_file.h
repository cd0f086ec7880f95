// The file of a background report, written from the rows in blocks as the
// database hands them over (db::Command::ExecuteInBlocks): each block of
// rows becomes a small result matrix (the same cell texts a run on screen
// shows), is written to the file and dropped, so neither the whole result
// nor a matrix of it is ever held.
//
// Workbook: the sheet "Rel_Dinamico" as the spreadsheet export lays it out
// (title and subtitle merged over the columns, bold centred captions in
// row 3, data from row 4, per-column formats from the type row and the
// column's first value, dates centred, the table "Dinamico", fitted
// columns), then the empty "Planilha1". The rows are written in order;
// above kConstantMemoryRows rows the workbook is written in constant
// memory, where the header row carries an autofilter instead of the table
// object. The formats of a column are chosen from the first block. Which
// of the two ways a workbook takes depends on the row count, which a
// stream tells only at its end: the workbook writer therefore keeps the
// rows until more than kConstantMemoryRows have come (a smaller workbook
// keeps all its cells in memory anyway) or the rows end.
//
// Text (TXT): UTF-8 without byte-order mark, lines ending in CR LF; the
// first line holds the column captions, then one line per row; fields are
// separated by ";" and a field holding ";", a double quote or a line break
// is written between double quotes, its quotes doubled. Values are the
// texts the screen shows: dates dd/mm/yyyy hh:mm:ss, decimals with a
// decimal comma.
//
// Either file is written under a temporary name in the target's folder and
// renamed once whole: a file by the target's name is always complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/provider.h"
#include "tpl/variant.h"

namespace tpl::jobs {

inline constexpr int64_t kConstantMemoryRows = 100000;
inline constexpr int64_t kRowsPerBlock = 5000;

struct FileContent {
  std::string title;
  std::string subtitle;
  Variant zero_display_flag{"N"};  // parameter 7018, as the screen uses it
  // Called after each block with the rows written so far.
  std::function<void(int64_t written)> progress;
};

// Writes a file from blocks of rows that all have the columns it was
// opened with.
class ReportFileWriter {
 public:
  virtual ~ReportFileWriter() = default;
  // Writes one block's rows (or keeps them, see above), moving the values
  // out of it.
  virtual void Write(db::ResultSet& block) = 0;
  // Completes the file under the target's name. A writer destroyed
  // without it leaves no file behind.
  virtual void Finish() = 0;
};

std::unique_ptr<ReportFileWriter> OpenWorkbookFile(std::vector<db::ColumnInfo> columns,
                                                   const std::filesystem::path& target,
                                                   const FileContent& content);
std::unique_ptr<ReportFileWriter> OpenTextFile(std::vector<db::ColumnInfo> columns,
                                               const std::filesystem::path& target,
                                               const FileContent& content);

// A whole fetched result written in blocks of kRowsPerBlock; both move the
// values out of `rows` as they are written.
void WriteWorkbookFile(db::ResultSet& rows, const std::filesystem::path& target,
                       const FileContent& content);
void WriteTextFile(db::ResultSet& rows, const std::filesystem::path& target,
                   const FileContent& content);

// One field of a TXT line, quoted when it must be.
std::string TextField(const std::string& value);

}  // namespace tpl::jobs

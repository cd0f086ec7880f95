// Workbooks: what the library asks of a spreadsheet application, written
// straight into an .xlsx file. A workbook holds worksheets; cells receive
// the library's values with a style (bold, centred, number format); a row
// of cells can be merged; a range can become a table; columns are sized to
// their content; the file is written when the workbook is saved.
//
// Rows and columns count from 1, as the sheet shows them ((1, 1) is A1).
// A position outside the sheet (more than kMaxRows rows or kMaxColumns
// columns) fails with the spreadsheet's error 1004, before anything is
// written, so a result too large for a sheet never gives a broken file.
//
// The file appears only when Save succeeds: the workbook is written under
// a temporary name beside the target and renamed over it at the end. A
// workbook destroyed unsaved, or whose save failed, leaves nothing behind.
// Numbers are written with a decimal point whatever locale the host
// process has set; the library never changes the process locale itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tpl/variant.h"

namespace tpl::workbook {

inline constexpr int32_t kMaxRows = 1048576;
inline constexpr int32_t kMaxColumns = 16384;
// Characters a cell holds; a longer text is cut.
inline constexpr size_t kMaxCellCharacters = 32767;
// The error number the spreadsheet gives for whatever it cannot do.
inline constexpr int32_t kSpreadsheetError = 1004;

// How a cell looks. Every cell sits at the bottom of its row, does not
// wrap, shrink or turn its text.
struct CellStyle {
  bool bold = false;
  bool centred = false;       // horizontally
  std::string number_format;  // "" is General
};

// A style added to a workbook; the default one is General, not bold,
// aligned by its value.
struct Style {
  int32_t index = 0;
};

class Workbook;

struct WorkbookOptions {
  // Each row goes to a temporary file as soon as a later row is written,
  // so a workbook of a million rows needs the memory of one row. Cells
  // must then be written row by row, top to bottom (a cell above the row
  // being written is lost), and AddTable gives the header row an
  // autofilter instead of a table object, which needs every cell kept.
  bool constant_memory = false;
};

// A worksheet of a workbook; a handle, valid while its workbook lives.
class Worksheet {
 public:
  // Writes a value as the spreadsheet stores it: numbers as numbers, dates
  // as date cells, Booleans as Booleans, texts as texts, and Empty, Null
  // and the empty text as a blank cell that keeps the style. A date in a
  // General cell takes the short date format ("dd/mm/yyyy", with
  // " hh:mm" when it has a time); a text in a cell with a number format
  // that reads as a number is stored as that number. Arrays and objects
  // fail with a type mismatch (13), numbers that are not finite with an
  // overflow (6).
  void Write(int32_t row, int32_t column, const Variant& value, Style style = {});
  void WriteText(int32_t row, int32_t column, std::string_view text, Style style = {});

  // Merges the columns between first and last (in either order) of a row
  // into one cell showing `text`.
  // A range of one cell is not merged: the text is written into it. Merged
  // cells do not count when the columns are sized.
  void MergeRow(int32_t row, int32_t first_column, int32_t last_column, std::string_view text,
                Style style);

  // Fails with error 1004 unless the range between the two cells (in
  // either order) lies on the sheet.
  void CheckRange(int32_t first_row, int32_t first_column, int32_t last_row,
                  int32_t last_column) const;

  // Makes rows first_row to last_row a table named `name`, its first row
  // the header with one caption per column (from first_column on). The
  // captions become the table's column names as UniqueCaptions makes them,
  // and the header cells hold exactly those names; a table with no data
  // row gets one empty row. A last row above the first fails with error
  // 1004.
  void AddTable(std::string_view name, int32_t first_row, int32_t first_column, int32_t last_row,
                std::vector<std::string> captions, Style header_style);

  // In constant memory, moves the last row of the autofilter AddTable
  // gave the header, for a writer that learns the row count only at the
  // end of the rows. Call it before any row below `last_row` is written.
  // Fails with error 1004 when there is no such filter or the row lies off
  // the sheet.
  void ExtendTable(int32_t last_row);

  // Sizes every column that holds something to its widest cell.
  void FitColumns();

  // Makes this the active sheet with the one cell selected.
  void Select(int32_t row, int32_t column);

 private:
  friend class Workbook;
  struct Sheet;
  explicit Worksheet(Sheet* sheet) : sheet_(sheet) {}
  Sheet* sheet_;
};

class Workbook {
 public:
  // A new, empty workbook that Save will write to `path` (an existing file
  // there is replaced). Fails with error 1004 when nothing can be written
  // in the path's folder.
  explicit Workbook(const std::filesystem::path& path, WorkbookOptions options = {});
  ~Workbook();
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  // Sheets appear in the file in the order they are added.
  Worksheet AddWorksheet(std::string_view name);
  Style AddStyle(const CellStyle& style);

  // Writes the file. Nothing can be added afterwards.
  void Save();

  // The full path of the file (absolute).
  const std::filesystem::path& FullName() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Characters a table's column name holds.
inline constexpr size_t kMaxCaptionCharacters = 255;

// A caption as a table's column name may hold it: TAB, CR and LF become a
// blank each, the other control characters (and U+FFFE, U+FFFF) go, which
// no XML part could hold; then it is cut to kMaxCaptionCharacters.
std::string CleanCaption(std::string_view caption);

// The column names of a table's header, from its captions: each cleaned
// (CleanCaption); an empty one becomes "Coluna" + its place in the table;
// one that repeats an earlier name (ignoring case) gets the lowest number
// from 2 that makes it unique, its text cut so that the whole stays within
// kMaxCaptionCharacters.
std::vector<std::string> UniqueCaptions(std::vector<std::string> captions);

}  // namespace tpl::workbook

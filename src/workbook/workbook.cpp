// Workbooks written with libxlsxwriter. In its default mode the cells stay
// in memory until the workbook is saved, so they may be written in any
// order, and the text of each cell is kept once in the shared strings; in
// constant-memory mode each finished row goes to a temporary file.
#include "workbook/workbook.h"
#include "sentences/sentences.h"

#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <random>
#include <set>
#include <system_error>
#include <utility>

#include "workbook/column_fit.h"
#include "workbook/xlsxwriter_library.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl::workbook {
namespace internal {

// A style as the cells use it, with the date formats a General cell takes
// when it receives a date (made when first needed).
struct StyleEntry {
  CellStyle look;
  lxw_format* format = nullptr;  // nullptr: the default style
  NumberFormat number_format;
  lxw_format* short_date = nullptr;
  lxw_format* date_and_time = nullptr;
};

struct Book {
  lxw_workbook* handle = nullptr;
  bool constant_memory = false;
  std::vector<StyleEntry> styles = std::vector<StyleEntry>(1);
};

}  // namespace internal

namespace {

constexpr std::string_view kShortDate = "dd/mm/yyyy";
constexpr std::string_view kDateAndTime = "dd/mm/yyyy hh:mm";
// Booleans as the spreadsheet shows them under the Brazilian settings.
constexpr std::string_view kTrueShown = "VERDADEIRO";
constexpr std::string_view kFalseShown = "FALSO";
// Room for the filter button beside a table's caption.
constexpr int kFilterButtonPixels = 16;
// Format codes the spreadsheet has built in, by their number.
struct BuiltInFormat {
  std::string_view code;
  uint8_t index;
};
constexpr BuiltInFormat kBuiltInFormats[] = {{"0", 1}, {"0.00", 2}, {"@", 49}};

[[noreturn]] void Fail(lxw_error error) {
  throw RuntimeError(kSpreadsheetError,
                     StandardDescription(kSpreadsheetError) + " (" + lxw_strerror(error) + ")");
}

void Check(lxw_error error) {
  if (error != LXW_NO_ERROR) Fail(error);
}

[[noreturn]] void CannotWrite(const std::filesystem::path& path, std::string_view reason = {}) {
  std::string description = Compose(sentences::kFileNotWritten, path.string());
  if (!reason.empty()) description += " (" + std::string(reason) + ")";
  throw RuntimeError(kSpreadsheetError, description);
}

// libxlsxwriter writes numbers with the C library's printf, which takes its
// decimal separator from the locale. While the file is written, the calling
// thread alone uses the C locale; the process locale is left as it is.
class CLocaleScope {
 public:
  CLocaleScope() : c_locale_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))) {
    if (c_locale_ != static_cast<locale_t>(0)) previous_ = uselocale(c_locale_);
  }
  ~CLocaleScope() {
    if (c_locale_ == static_cast<locale_t>(0)) return;
    uselocale(previous_);
    freelocale(c_locale_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t c_locale_;
  locale_t previous_ = static_cast<locale_t>(0);
};

// An empty file of a new name beside `target`, where the workbook is
// written before it takes the target's name.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::filesystem::path candidate =
        folder / ("." + target.filename().string() + "." + std::to_string(random()) + ".tmp");
    int file = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file >= 0) {
      ::close(file);
      return candidate;
    }
    if (errno != EEXIST) CannotWrite(target, std::generic_category().message(errno));
  }
  CannotWrite(target);
}

lxw_format* NewFormat(lxw_workbook* book, const CellStyle& look, std::string_view number_format) {
  lxw_format* format = workbook_add_format(book);
  if (format == nullptr) Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
  if (look.bold) format_set_bold(format);
  if (look.centred) format_set_align(format, LXW_ALIGN_CENTER);
  if (number_format.empty()) return format;
  for (const BuiltInFormat& built_in : kBuiltInFormats) {
    if (built_in.code == number_format) {
      format_set_num_format_index(format, built_in.index);
      return format;
    }
  }
  format_set_num_format(format, std::string(number_format).c_str());
  return format;
}

// The spreadsheet counts days from 1/1/1900 as day 1 and keeps a 29/2/1900
// that never was: its serials agree with ours from 1/3/1900 on and are one
// lower before it; a time alone (day zero) is the same in both. Dates
// before 1/1/1900 have no serial there (false).
bool SpreadsheetSerial(Date date, double& serial) {
  constexpr double kFirstOfMarch1900 = 61;
  constexpr double kFirstOfJanuary1900 = 2;
  if (date.serial >= kFirstOfMarch1900 || (date.serial >= 0 && date.serial < 1)) {
    serial = date.serial;
    return true;
  }
  if (date.serial >= kFirstOfJanuary1900) {
    serial = date.serial - 1;
    return true;
  }
  return false;
}

}  // namespace

struct Worksheet::Sheet {
  internal::Book* book;
  lxw_worksheet* handle;
  ColumnFit fit;
  // The autofilter of a table in constant memory: first row, first column,
  // last row, last column, all from 0.
  std::optional<std::array<int32_t, 4>> filter = std::nullopt;

  void CheckCell(int32_t row, int32_t column) const {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) Raise(kSpreadsheetError);
  }

  void Blank(int32_t row, int32_t column, const internal::StyleEntry& style) {
    if (style.format != nullptr) Check(worksheet_write_blank(handle, row - 1, column - 1, style.format));
  }

  void Number(int32_t row, int32_t column, double value, const internal::StyleEntry& style) {
    if (!std::isfinite(value)) Raise(error::kOverflow);
    Check(worksheet_write_number(handle, row - 1, column - 1, value, style.format));
    int pixels = style.number_format.NumberPixels(value);
    fit.Fit(column, style.look.bold ? (pixels * 11 + 9) / 10 : pixels);
  }

  void Text(int32_t row, int32_t column, const std::string& text,
            const internal::StyleEntry& style) {
    if (text.empty()) return Blank(row, column, style);
    if (style.number_format.kind() == NumberFormat::Kind::Fixed) {
      double number = 0;
      if (TryToDouble(Variant(text), number) && std::isfinite(number))
        return Number(row, column, number, style);
    }
    if (text.size() > kMaxCellCharacters && Len(text) > kMaxCellCharacters)
      return Text(row, column, Left(text, kMaxCellCharacters), style);
    Check(worksheet_write_string(handle, row - 1, column - 1, text.c_str(), style.format));
    fit.Fit(column, TextPixels(text, style.look.bold));
  }

  void DateCell(int32_t row, int32_t column, Date date, internal::StyleEntry& style) {
    double serial = 0;
    if (!SpreadsheetSerial(date, serial)) return Text(row, column, CStr(Variant(date)), style);
    if (style.number_format.kind() != NumberFormat::Kind::General) {
      Check(worksheet_write_number(handle, row - 1, column - 1, serial, style.format));
      fit.Fit(column, style.number_format.NumberPixels(serial));
      return;
    }
    static const NumberFormat kShortDateShown(kShortDate), kDateAndTimeShown(kDateAndTime);
    bool with_time = serial != std::floor(serial);
    lxw_format*& format = with_time ? style.date_and_time : style.short_date;
    if (format == nullptr) format = NewFormat(book->handle, style.look, with_time ? kDateAndTime : kShortDate);
    Check(worksheet_write_number(handle, row - 1, column - 1, serial, format));
    fit.Fit(column, (with_time ? kDateAndTimeShown : kShortDateShown).NumberPixels(serial));
  }

  void Boolean(int32_t row, int32_t column, bool value, const internal::StyleEntry& style) {
    Check(worksheet_write_boolean(handle, row - 1, column - 1, value ? 1 : 0, style.format));
    fit.Fit(column, TextPixels(value ? kTrueShown : kFalseShown, style.look.bold));
  }
};

void Worksheet::Write(int32_t row, int32_t column, const Variant& value, Style style) {
  sheet_->CheckCell(row, column);
  internal::StyleEntry& look = sheet_->book->styles.at(style.index);
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
      return sheet_->Blank(row, column, look);
    case VarType::String:
      return sheet_->Text(row, column, value.AsString(), look);
    case VarType::Integer:
      return sheet_->Number(row, column, value.AsInteger(), look);
    case VarType::Long:
      return sheet_->Number(row, column, value.AsLong(), look);
    case VarType::Double:
      return sheet_->Number(row, column, value.AsDouble(), look);
    case VarType::Date:
      return sheet_->DateCell(row, column, value.AsDate(), look);
    case VarType::Boolean:
      return sheet_->Boolean(row, column, value.AsBoolean(), look);
    default:
      Raise(error::kTypeMismatch);
  }
}

void Worksheet::WriteText(int32_t row, int32_t column, std::string_view text, Style style) {
  sheet_->CheckCell(row, column);
  sheet_->Text(row, column, std::string(text), sheet_->book->styles.at(style.index));
}

void Worksheet::MergeRow(int32_t row, int32_t first_column, int32_t last_column,
                         std::string_view text, Style style) {
  CheckRange(row, first_column, row, last_column);
  if (last_column < first_column) std::swap(first_column, last_column);
  if (first_column == last_column) return WriteText(row, first_column, text, style);
  std::string shown(text);
  if (shown.size() > kMaxCellCharacters && Len(shown) > kMaxCellCharacters)
    shown = Left(shown, kMaxCellCharacters);
  Check(worksheet_merge_range(sheet_->handle, row - 1, first_column - 1, row - 1,
                              last_column - 1, shown.c_str(),
                              sheet_->book->styles.at(style.index).format));
}

void Worksheet::CheckRange(int32_t first_row, int32_t first_column, int32_t last_row,
                           int32_t last_column) const {
  sheet_->CheckCell(first_row, first_column);
  sheet_->CheckCell(last_row, last_column);
}

void Worksheet::AddTable(std::string_view name, int32_t first_row, int32_t first_column,
                         int32_t last_row, std::vector<std::string> captions,
                         Style header_style) {
  if (captions.empty() || captions.size() > static_cast<size_t>(kMaxColumns))
    Raise(kSpreadsheetError);
  int32_t last_column = first_column + static_cast<int32_t>(captions.size()) - 1;
  if (last_row < first_row) Raise(kSpreadsheetError);
  if (last_row == first_row) ++last_row;  // the one data row a table must have
  CheckRange(first_row, first_column, last_row, last_column);

  captions = UniqueCaptions(std::move(captions));
  const internal::StyleEntry& header = sheet_->book->styles.at(header_style.index);
  std::vector<lxw_table_column> columns(captions.size());
  std::vector<lxw_table_column*> column_list(captions.size() + 1, nullptr);
  for (size_t i = 0; i < captions.size(); ++i) {
    columns[i].header = captions[i].data();
    columns[i].header_format = header.format;
    column_list[i] = &columns[i];
    sheet_->fit.Fit(first_column + static_cast<int32_t>(i),
                    TextPixels(captions[i], header.look.bold) + kFilterButtonPixels);
  }
  if (sheet_->book->constant_memory) {
    // The header row is written here, before any data row of the range.
    for (size_t i = 0; i < captions.size(); ++i)
      Check(worksheet_write_string(sheet_->handle, first_row - 1,
                                   first_column - 1 + static_cast<lxw_col_t>(i),
                                   captions[i].c_str(), header.format));
    Check(worksheet_autofilter(sheet_->handle, first_row - 1, first_column - 1, last_row - 1,
                               last_column - 1));
    sheet_->filter =
        std::array<int32_t, 4>{first_row - 1, first_column - 1, last_row - 1, last_column - 1};
    return;
  }
  std::string table_name(name);
  lxw_table_options options{};
  options.name = table_name.data();
  options.style_type = LXW_TABLE_STYLE_TYPE_MEDIUM;
  options.style_type_number = 2;  // the spreadsheet's default table style
  options.columns = column_list.data();
  Check(worksheet_add_table(sheet_->handle, first_row - 1, first_column - 1, last_row - 1,
                            last_column - 1, &options));
}

void Worksheet::ExtendTable(int32_t last_row) {
  if (!sheet_->filter) Raise(kSpreadsheetError);
  auto& [first_row, first_column, filter_last_row, last_column] = *sheet_->filter;
  CheckRange(first_row + 1, first_column + 1, last_row, last_column + 1);
  filter_last_row = std::max(last_row - 1, first_row + 1);
  // Set again over the first: the library keeps the last range given.
  Check(worksheet_autofilter(
      sheet_->handle, static_cast<lxw_row_t>(first_row), static_cast<lxw_col_t>(first_column),
      static_cast<lxw_row_t>(filter_last_row), static_cast<lxw_col_t>(last_column)));
}

void Worksheet::FitColumns() {
  for (int32_t column = 1; column <= sheet_->fit.LastColumn(); ++column) {
    int widest = sheet_->fit.Widest(column);
    if (widest == 0) continue;
    Check(worksheet_set_column(sheet_->handle, column - 1, column - 1, ColumnWidth(widest),
                               nullptr));
  }
}

void Worksheet::Select(int32_t row, int32_t column) {
  sheet_->CheckCell(row, column);
  worksheet_set_selection(sheet_->handle, row - 1, column - 1, row - 1, column - 1);
  worksheet_activate(sheet_->handle);
}

struct Workbook::State : internal::Book {
  std::filesystem::path full_name;
  std::filesystem::path temporary;
  bool saved = false;
  std::vector<std::unique_ptr<Worksheet::Sheet>> sheets;

  ~State() {
    if (handle != nullptr) lxw_workbook_free(handle);  // discards the work, writes nothing
    std::error_code ignored;
    if (!saved && !temporary.empty()) std::filesystem::remove(temporary, ignored);
  }
};

Workbook::Workbook(const std::filesystem::path& path, WorkbookOptions workbook_options)
    : state_(std::make_unique<State>()) {
  RequireXlsxwriter();
  std::error_code error;
  state_->full_name = std::filesystem::absolute(path, error);
  if (error || !state_->full_name.has_filename()) CannotWrite(path);
  state_->temporary = TemporaryBeside(state_->full_name);
  lxw_workbook_options options{};
  // libxlsxwriter keeps its row files in the workbook's own folder, which
  // is known to be writable.
  const std::string row_folder = state_->full_name.parent_path().string();
  if (workbook_options.constant_memory) {
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(row_folder.c_str());
  }
  state_->constant_memory = workbook_options.constant_memory;
  state_->handle = workbook_new_opt(state_->temporary.c_str(), &options);
  if (state_->handle == nullptr) Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
}

Workbook::~Workbook() = default;

Worksheet Workbook::AddWorksheet(std::string_view name) {
  if (state_->handle == nullptr) Raise(kSpreadsheetError);
  lxw_worksheet* sheet = workbook_add_worksheet(state_->handle, std::string(name).c_str());
  if (sheet == nullptr) Raise(kSpreadsheetError);
  state_->sheets.push_back(
      std::unique_ptr<Worksheet::Sheet>(new Worksheet::Sheet{state_.get(), sheet, {}}));
  return Worksheet(state_->sheets.back().get());
}

Style Workbook::AddStyle(const CellStyle& style) {
  if (state_->handle == nullptr) Raise(kSpreadsheetError);
  internal::StyleEntry entry;
  entry.look = style;
  entry.format = NewFormat(state_->handle, style, style.number_format);
  entry.number_format = NumberFormat(style.number_format);
  state_->styles.push_back(std::move(entry));
  return Style{static_cast<int32_t>(state_->styles.size() - 1)};
}

void Workbook::Save() {
  if (state_->handle == nullptr) Raise(kSpreadsheetError);
  lxw_error error;
  {
    CLocaleScope c_locale;
    error = workbook_close(state_->handle);  // frees the workbook whatever the outcome
  }
  state_->handle = nullptr;
  if (error != LXW_NO_ERROR) CannotWrite(state_->full_name, lxw_strerror(error));
  std::error_code rename_error;
  std::filesystem::rename(state_->temporary, state_->full_name, rename_error);
  if (rename_error) CannotWrite(state_->full_name, rename_error.message());
  state_->saved = true;
}

const std::filesystem::path& Workbook::FullName() const { return state_->full_name; }

namespace {

// U+FFFE and U+FFFF, which no XML document may hold: EF BF BE and EF BF BF.
bool IsNonCharacterAt(std::string_view text, size_t i) {
  return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF &&
         static_cast<unsigned char>(text[i + 1]) == 0xBF &&
         (static_cast<unsigned char>(text[i + 2]) == 0xBE || static_cast<unsigned char>(text[i + 2]) == 0xBF);
}

}  // namespace

std::string CleanCaption(std::string_view caption) {
  std::string clean;
  clean.reserve(caption.size());
  // The characters looked at are single bytes that never occur inside a
  // UTF-8 sequence, and the non-characters whole sequences.
  for (size_t i = 0; i < caption.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(caption[i]);
    if (c == '\t' || c == '\r' || c == '\n') {
      clean += ' ';
    } else if (IsNonCharacterAt(caption, i)) {
      i += 2;
    } else if (c >= 0x20) {
      clean += static_cast<char>(c);
    }
  }
  if (clean.size() > kMaxCaptionCharacters && Len(clean) > kMaxCaptionCharacters)
    clean = Left(clean, kMaxCaptionCharacters);
  return clean;
}

std::vector<std::string> UniqueCaptions(std::vector<std::string> captions) {
  std::set<std::string> taken;
  for (size_t i = 0; i < captions.size(); ++i) {
    std::string& caption = captions[i];
    caption = CleanCaption(caption);
    if (caption.empty()) caption = "Coluna" + std::to_string(i + 1);
    const std::string base = caption;
    for (int number = 2; taken.contains(UCase(caption)); ++number) {
      const std::string suffix = std::to_string(number);
      caption = Left(base, kMaxCaptionCharacters - suffix.size()) + suffix;
    }
    taken.insert(UCase(caption));
  }
  return captions;
}

}  // namespace tpl::workbook

#include "report/result_matrix.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

enum class CellKind { Decimal, Whole, Date, Integer, Text };

constexpr int32_t kShortestDateText = 10;

bool IsNumericType(db::DataType type) {
  return type == db::DataType::Numeric || type == db::DataType::VarNumeric ||
         type == db::DataType::Double || type == db::DataType::Decimal;
}

bool IsDateType(db::DataType type) {
  return type == db::DataType::Date || type == db::DataType::DBDate;
}

// A plain ASCII text that no filtering would change passes the date-shape
// test only with "/" or "-" at positions 3 and 6, or 5 and 8: most texts
// are ruled out here without parsing them.
bool CannotHaveDateShape(const std::string& text) {
  if (text.size() < static_cast<size_t>(kShortestDateText)) return true;
  for (size_t i = 0; i < static_cast<size_t>(kShortestDateText); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80 || kForbiddenCharacters.find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  }
  auto separator = [&](size_t position) {
    return text[position - 1] == '/' || text[position - 1] == '-';
  };
  return !(separator(3) && separator(6)) && !(separator(5) && separator(8));
}

// Whether a value of a column without a date type still reads as a date.
bool LooksLikeDate(const Variant& value, bool main_matrix) {
  if (!value.IsString() && value.type() != VarType::Date) return false;
  if (main_matrix) {
    if (value.IsString() && CannotHaveDateShape(value.AsString())) return false;
    // The date-shape test writes back a filtered copy, never the cell.
    Variant copy = value;
    return mConsiste_Formato_Data(copy) && Len(CStr(value)) >= kShortestDateText;
  }
  return Len(CStr(value)) >= kShortestDateText && IsDate(value);
}

CellKind KindOf(const db::ColumnInfo& column, const Variant& value, bool main_matrix) {
  if (IsNumericType(column.type)) {
    return column.numeric_scale > 0 ? CellKind::Decimal : CellKind::Whole;
  }
  if (IsDateType(column.type) || LooksLikeDate(value, main_matrix)) return CellKind::Date;
  if (column.type == db::DataType::Integer) return CellKind::Integer;
  return CellKind::Text;
}

const char* TypeCode(CellKind kind) {
  switch (kind) {
    case CellKind::Decimal:
      return "V";
    case CellKind::Whole:
    case CellKind::Integer:
      return "I";
    case CellKind::Date:
      return "D";
    case CellKind::Text:
      return "T";
  }
  return "T";
}

const char* Alignment(CellKind kind) {
  switch (kind) {
    case CellKind::Decimal:
      return "Right";
    case CellKind::Whole:
    case CellKind::Integer:
    case CellKind::Date:
      return "Center";
    case CellKind::Text:
      return "Left";
  }
  return "Left";
}

// The text FormatDecimalNumber gives a finite number, written straight from
// the number's shortest 15-digit form instead of through the platform's
// number text: the whole part, a comma, the decimals cut or padded to
// `places`. Values between -1 and 1 (rounded first), numbers written with
// an exponent and unusually many places keep the shared routine.
Variant DecimalCell(double number, int32_t places, const Variant& zero_result) {
  constexpr int32_t kMostDirectPlaces = 30;
  char digits[32];
  if (number > -1 && number < 1) return FormatDecimalNumber(number, places, zero_result);
  const auto [end, failure] =
      std::to_chars(digits, digits + sizeof digits, number, std::chars_format::general, 15);
  const size_t length = static_cast<size_t>(end - digits);
  if (failure != std::errc() || places > kMostDirectPlaces || std::memchr(digits, 'e', length) != nullptr)
    return FormatDecimalNumber(number, places, zero_result);
  const std::string_view text(digits, length);
  const size_t point = std::min(text.find('.'), text.size());
  const std::string_view decimals = point < text.size() ? text.substr(point + 1) : std::string_view();
  char out[sizeof digits + kMostDirectPlaces + 2];
  std::memcpy(out, digits, point);
  size_t size = point;
  out[size++] = ',';
  const size_t kept = std::min(decimals.size(), static_cast<size_t>(places));
  if (kept > 0) std::memcpy(out + size, decimals.data(), kept);  // an empty view may hold no pointer
  size += kept;
  std::memset(out + size, '0', static_cast<size_t>(places) - kept);
  size += static_cast<size_t>(places) - kept;
  return Variant(std::string_view(out, size));
}

}  // namespace

// Converts the cells of one column kind. Decimal cells that hold a finite
// number, the usual case, are formatted directly with the places and the
// zero result read once for the whole matrix.
class ResultMatrixBuilder::Converter {
 public:
  explicit Converter(const ResultMatrixRules& rules)
      : rules_(rules),
        zero_result_(rules.main_matrix ? mFormata_Decimal(Variant(0.0), Variant(""), Variant("2"),
                                                          rules.zero_display_flag)
                                       : Variant("")),
        // A flag that cannot be read fails every decimal cell; only the
        // routine's own path gives that answer.
        direct_decimals_(zero_result_.IsString()) {}

  // The converted value, moved out of `value` when it needs no conversion.
  Variant Convert(CellKind kind, Variant& value, const db::ColumnInfo& column) const {
    switch (kind) {
      case CellKind::Decimal:
        return Decimal(value, std::max<int32_t>(column.numeric_scale, 2));
      case CellKind::Whole:
        return mNormaliza_Numero(value);
      case CellKind::Date:
      case CellKind::Integer:
      case CellKind::Text:
        if (value.IsNull()) return Variant("");
        return std::move(value);
    }
    return std::move(value);
  }

 private:
  Variant Decimal(const Variant& value, int32_t places) const {
    if (direct_decimals_ && value.IsNumber() && std::isfinite(CDbl(value))) {
      return DecimalCell(CDbl(value), places, zero_result_);
    }
    Variant number(CDbl(mNormaliza_Numero(value)));
    Variant places_text(std::to_string(places));
    return rules_.main_matrix
               ? mFormata_Decimal(number, Variant(""), places_text, rules_.zero_display_flag)
               : mFormata_Decimal_Simples(number, Variant(""), places_text);
  }

  const ResultMatrixRules rules_;
  const Variant zero_result_;
  const bool direct_decimals_;
};

ResultMatrixBuilder::ResultMatrixBuilder(const ResultMatrixRules& rules)
    : convert_(std::make_unique<Converter>(rules)), main_matrix_(rules.main_matrix) {}

ResultMatrixBuilder::~ResultMatrixBuilder() = default;

namespace {

// Room for the matrix of a row set whose size is not known yet: address
// space for up to half the machine's memory, whose pages the system gives
// only as cells are written. The matrix is then written once, in place,
// and never moved, however many rows come. Where the system will not
// promise that much (strict overcommit), the matrix grows as a vector does.
void ReserveForUnknownRows(VariantVector& cells) {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGESIZE);
  const size_t bytes = pages > 0 && page_size > 0
                           ? static_cast<size_t>(pages) * static_cast<size_t>(page_size) / 2
                           : size_t{1} << 30;
  try {
    cells.reserve(bytes / sizeof(Variant));
  } catch (const std::bad_alloc&) {
    cells.reserve(size_t{1} << 16);
  }
}

}  // namespace

void ResultMatrixBuilder::ExpectRows(size_t rows) { expected_rows_ = rows; }

void ResultMatrixBuilder::Start(const std::vector<db::ColumnInfo>& columns, size_t first_block_rows,
                                bool last_block) {
  started_ = true;
  columns_ = columns;
  last_kind_.assign(columns_.size(), static_cast<uint8_t>(CellKind::Text));
  const size_t width = columns_.size() + 2;
  // Header, data rows, type row, alignment row.
  if (expected_rows_) {
    cells_.reserve((*expected_rows_ + 3) * width);
  } else if (last_block) {
    cells_.reserve((first_block_rows + 3) * width);
  } else {
    ReserveForUnknownRows(cells_);
  }
  for (const db::ColumnInfo& column : columns_) cells_.emplace_back(column.name);
  cells_.emplace_back();
  cells_.emplace_back();
}

// Each row goes straight to its place in the matrix: its values, then "DET"
// and the empty text. Cells of a column typed by its values are kept as
// they came, to be converted by Finish.
void ResultMatrixBuilder::Add(db::ResultSet& block) {
  const size_t field_count = block.columns.size();
  const size_t block_rows = field_count == 0 ? 0 : block.cells.size() / field_count;
  // A block with fewer rows than asked for is the last one.
  if (!started_) Start(block.columns, block_rows, block_rows < kResultMatrixRowsPerBlock);
  if (field_count == 0) return;
  record_count_ += static_cast<int32_t>(block_rows);
  if (failure_) return;  // only the count matters now: Finish raises
  size_t j = 0;
  try {
    block.cells.ForEach([&](Variant& source) {
      const db::ColumnInfo& column = columns_[j];
      if (column.typed_by_values) {
        cells_.push_back(std::move(source));
      } else {
        const CellKind kind = KindOf(column, source, main_matrix_);
        cells_.push_back(convert_->Convert(kind, source, column));
        last_kind_[j] = static_cast<uint8_t>(kind);
      }
      if (++j == field_count) {
        j = 0;
        cells_.emplace_back("DET");
        cells_.emplace_back("");
      }
    });
  } catch (...) {
    failure_ = std::current_exception();
    VariantVector().swap(cells_);
  }
}

// Only the columns typed by their values are left to convert, in place;
// then the type and alignment rows close the matrix.
ResultMatrix ResultMatrixBuilder::Finish(const std::vector<db::ColumnInfo>& columns) {
  if (failure_) std::rethrow_exception(failure_);
  if (!started_) {
    // No block came: the columns alone.
    std::vector<db::ColumnInfo> plain = columns;
    for (db::ColumnInfo& column : plain) column.typed_by_values = false;
    Start(plain, 0, true);
  }
  const size_t field_count = columns_.size();
  const size_t width = field_count + 2;
  for (size_t j = 0; j < field_count; ++j) {
    if (!columns_[j].typed_by_values) continue;
    const db::ColumnInfo& column = j < columns.size() ? columns[j] : columns_[j];
    for (size_t r = 1; r <= static_cast<size_t>(record_count_); ++r) {
      Variant& cell = cells_[r * width + j];
      const CellKind kind = KindOf(column, cell, main_matrix_);
      cell = convert_->Convert(kind, cell, column);
      last_kind_[j] = static_cast<uint8_t>(kind);
    }
  }
  ResultMatrix result;
  result.line_count = record_count_ + 2;
  result.column_count = static_cast<int32_t>(field_count) + 1;
  const bool has_rows = record_count_ > 0;
  for (size_t k = 0; k < field_count; ++k) {
    cells_.push_back(has_rows ? Variant(TypeCode(static_cast<CellKind>(last_kind_[k]))) : Variant());
  }
  cells_.emplace_back();
  cells_.emplace_back();
  for (size_t k = 0; k < field_count; ++k) {
    cells_.push_back(has_rows ? Variant(Alignment(static_cast<CellKind>(last_kind_[k]))) : Variant());
  }
  cells_.emplace_back();
  cells_.emplace_back();
  result.cells = Array::Matrix(result.line_count, result.column_count, std::move(cells_));
  return result;
}

ResultMatrix BuildResultMatrix(db::ResultSet& rows, const ResultMatrixRules& rules) {
  ResultMatrixBuilder builder(rules);
  builder.ExpectRows(rows.row_count());
  builder.Add(rows);
  rows.cells.clear();
  return builder.Finish(rows.columns);
}

}  // namespace tpl

#include "report/result_matrix.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
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

// Converts the cells of one column kind. Decimal cells that hold a finite
// number, the usual case, are formatted directly with the places and the
// zero result read once for the whole matrix.
class CellConverter {
 public:
  explicit CellConverter(const ResultMatrixRules& rules)
      : rules_(rules),
        zero_result_(rules.main_matrix ? mFormata_Decimal(Variant(0.0), Variant(""), Variant("2"),
                                                          rules.zero_display_flag)
                                       : Variant("")),
        // A flag that cannot be read fails every decimal cell; only the
        // routine's own path gives that answer.
        direct_decimals_(zero_result_.IsString()) {}

  // Appends the converted value, moving it when it needs no conversion.
  void Append(CellKind kind, Variant& value, const db::ColumnInfo& column, VariantVector& out) const {
    switch (kind) {
      case CellKind::Decimal:
        out.push_back(Decimal(value, std::max<int32_t>(column.numeric_scale, 2)));
        return;
      case CellKind::Whole:
        out.push_back(mNormaliza_Numero(value));
        return;
      case CellKind::Date:
      case CellKind::Integer:
      case CellKind::Text:
        if (value.IsNull()) {
          out.emplace_back("");
        } else {
          out.push_back(std::move(value));
        }
        return;
    }
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

  const ResultMatrixRules& rules_;
  const Variant zero_result_;
  const bool direct_decimals_;
};

}  // namespace

// The matrix is written once, in row order, straight into its storage:
// no cell is built twice. The row set gives its cells up block by block as
// they are converted, so the fetched rows and the matrix never both stand
// in full: the matrix's storage is taken from the system page by page as it
// fills, while the blocks of fetched cells go back.
ResultMatrix BuildResultMatrix(db::ResultSet& rows, const ResultMatrixRules& rules) {
  const int32_t record_count = static_cast<int32_t>(rows.row_count());
  const int32_t field_count = static_cast<int32_t>(rows.columns.size());
  ResultMatrix result;
  result.line_count = record_count + 2;
  result.column_count = field_count + 1;
  VariantVector cells;
  cells.reserve(static_cast<size_t>(result.line_count + 1) * static_cast<size_t>(result.column_count + 1));
  auto end_row = [&cells](Variant second_last, Variant last) {
    cells.push_back(std::move(second_last));
    cells.push_back(std::move(last));
  };

  for (const db::ColumnInfo& column : rows.columns) cells.emplace_back(column.name);
  end_row(Variant(), Variant());

  const CellConverter convert(rules);
  std::vector<CellKind> last_kind(field_count, CellKind::Text);
  size_t j = 0;
  rows.cells.Consume([&](Variant& source) {
    const db::ColumnInfo& column = rows.columns[j];
    const CellKind kind = KindOf(column, source, rules.main_matrix);
    convert.Append(kind, source, column, cells);
    last_kind[j] = kind;
    if (++j == static_cast<size_t>(field_count)) {
      j = 0;
      end_row(Variant("DET"), Variant(""));
    }
  });

  const bool has_rows = record_count > 0;
  for (int32_t j = 0; j < field_count; ++j) {
    cells.push_back(has_rows ? Variant(TypeCode(last_kind[j])) : Variant());
  }
  end_row(Variant(), Variant());
  for (int32_t j = 0; j < field_count; ++j) {
    cells.push_back(has_rows ? Variant(Alignment(last_kind[j])) : Variant());
  }
  end_row(Variant(), Variant());

  result.cells = Array::Matrix(result.line_count, result.column_count, std::move(cells));
  return result;
}

}  // namespace tpl

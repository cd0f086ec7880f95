#include "report/result_matrix.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "frame/value_helpers.h"
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

Variant ConvertCell(CellKind kind, Variant&& value, const db::ColumnInfo& column,
                    const ResultMatrixRules& rules) {
  switch (kind) {
    case CellKind::Decimal: {
      Variant places(std::to_string(std::max<int32_t>(column.numeric_scale, 2)));
      Variant number(CDbl(mNormaliza_Numero(value)));
      return rules.main_matrix
                 ? mFormata_Decimal(number, Variant(""), places, rules.zero_display_flag)
                 : mFormata_Decimal_Simples(number, Variant(""), places);
    }
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

}  // namespace

ResultMatrix BuildResultMatrix(db::ResultSet& rows, const ResultMatrixRules& rules) {
  const int32_t record_count = static_cast<int32_t>(rows.row_count());
  const int32_t field_count = static_cast<int32_t>(rows.columns.size());
  ResultMatrix result;
  result.line_count = record_count + 2;
  result.column_count = field_count + 1;
  result.cells = Array::Matrix(result.line_count, result.column_count);
  Array& cells = result.cells;

  for (int32_t j = 0; j < field_count; ++j) cells.at(0, j) = Variant(rows.columns[j].name);

  std::vector<CellKind> last_kind(field_count, CellKind::Text);
  for (int32_t r = 1; r <= record_count; ++r) {
    Variant* source = &rows.cells[static_cast<size_t>(r - 1) * field_count];
    for (int32_t j = 0; j < field_count; ++j) {
      const db::ColumnInfo& column = rows.columns[j];
      CellKind kind = KindOf(column, source[j], rules.main_matrix);
      cells.at(r, j) = ConvertCell(kind, std::move(source[j]), column, rules);
      last_kind[j] = kind;
    }
    cells.at(r, result.column_count - 1) = Variant("DET");
    cells.at(r, result.column_count) = Variant("");
  }
  if (record_count > 0) {
    for (int32_t j = 0; j < field_count; ++j) {
      cells.at(result.line_count - 1, j) = Variant(TypeCode(last_kind[j]));
      cells.at(result.line_count, j) = Variant(Alignment(last_kind[j]));
    }
  }
  return result;
}

}  // namespace tpl

#include "output/report_sheet.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {
namespace {

constexpr std::string_view kSheetName = "Rel_Dinamico";
// The sheet a new workbook starts with; it stays in the file, empty.
constexpr std::string_view kFirstSheetName = "Planilha1";
constexpr std::string_view kTableName = "Dinamico";
constexpr int32_t kTitleRow = 1;
constexpr int32_t kSubtitleRow = 2;
constexpr int32_t kHeaderRow = 3;
constexpr int32_t kFirstDataRow = 4;

struct ColumnPlan {
  CellConversion conversion = CellConversion::None;
  workbook::Style style;
};

// Sheet rows and columns and matrix indexes are read from the host's
// counts; beyond the 32-bit range they stay out of any sheet and matrix.
int32_t Position(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The column's format as its type code decides it. The format reaches
// rows 4 to L + 3: the data rows and the two rows below them.
ColumnPlan PlanColumn(workbook::Workbook& book, workbook::Worksheet& sheet, const Variant& matrix,
                      int32_t column, const std::string& type, int64_t lines) {
  const ColumnLook look = ReportColumnLook(matrix, column, type);
  ColumnPlan plan;
  plan.conversion = look.conversion;
  if (look.style) {
    plan.style = book.AddStyle(*look.style);
    for (int64_t row = lines + 2; row <= lines + 3; ++row)
      sheet.Write(Position(row), column + 1, Variant(), plan.style);
  }
  return plan;
}

// A date cell's text, read back as a date: what the cell becomes when its
// trimmed text is a date. A Date's own text always is one, shown to the
// second, so a Date only loses what it held below the second.
void ConvertDateCell(Variant& cell) {
  Date date;
  if (cell.type() == VarType::Date) {
    if (TryMakeDate(SplitDate(cell.AsDate()), date)) cell = Variant(date);
    return;
  }
  if (TryParseDate(TrimmedText(cell), date)) cell = Variant(date);
}

}  // namespace

ColumnLook ReportColumnLook(const Variant& matrix, int32_t column, const std::string& type) {
  ColumnLook look;
  // Asked as "does "V" or "D" contain the code", which an empty code passes.
  if (InStr("V", type) > 0 || InStr("D", type) > 0) {
    look.style.emplace().number_format = mObter_Formato_Coluna(mObter_Valor_Amostra(matrix, column));
  }
  if (type == "D") look.style->centred = true;
  if (type == "I" || type == "T") look.style.emplace().number_format = type == "I" ? "0" : "@";
  look.conversion = type == "D"   ? CellConversion::Date
                    : type == "V" ? CellConversion::Decimal
                                  : CellConversion::None;
  return look;
}

void ConvertReportCell(Variant& cell, CellConversion conversion) {
  switch (conversion) {
    case CellConversion::Date:
      ConvertDateCell(cell);
      break;
    case CellConversion::Decimal:
      cell = Variant(CDbl(mNormaliza_Numero(cell)));
      break;
    case CellConversion::None:
      break;
  }
}

bool mValor_Vazio(const Variant& value) {
  return value.IsNull() || value.IsEmpty() || (value.IsString() && value.AsString().empty());
}

Variant mObter_Valor_Amostra(const Variant& matrix, int32_t column) {
  if (!matrix.IsArray()) return Variant();
  const Array& cells = matrix.AsArray();
  if (cells.Dimensions() != 2 || cells.UBound(1) < 0 || cells.UBound(2) < 0) return Variant();
  for (int32_t row = 1; row <= cells.UBound(1); ++row) {
    const Variant& value = cells.at(row, column);
    if (!mValor_Vazio(value)) return value;
  }
  return Variant();
}

std::string mObter_Formato_Coluna(const Variant& sample) {
  const std::string text = TrimmedText(sample);
  size_t separator = InStr(text, ".");
  if (separator == 0) separator = InStr(text, ",");
  const bool has_slash = InStr(text, "/") > 0;
  if (!has_slash && separator == 0) return "0.00";
  if (has_slash) {
    switch (Len(text)) {
      case 10:
        return "dd/mm/yyyy";
      case 16:
        return "dd/mm/yyyy hh:mm";
      case 19:
        return "dd/mm/yyyy hh:mm:ss";
      default:
        return "";
    }
  }
  const size_t decimals = Len(Mid(text, separator + 1));
  if (decimals < 2) return "0.00";
  return "0." + std::string(decimals, '0');
}

void WriteReportSheet(workbook::Workbook& book, const Variant& title, const Variant& subtitle,
                      const Variant& line_count, const Variant& column_count, Variant& matrix) {
  workbook::Worksheet sheet = book.AddWorksheet(kSheetName);
  book.AddWorksheet(kFirstSheetName);
  const int64_t lines = CLng(mNormaliza_Numero(line_count));
  const int64_t columns = CLng(mNormaliza_Numero(column_count));
  const int32_t last_column = Position(columns - 1);  // the "DET" column is not shown

  // Titles and captions alike: bold, centred.
  const workbook::Style heading = book.AddStyle({.bold = true, .centred = true, .number_format = ""});
  sheet.MergeRow(kTitleRow, 1, last_column, TrimmedText(title), heading);
  sheet.MergeRow(kSubtitleRow, 1, last_column, TrimmedText(subtitle), heading);

  sheet.CheckRange(kFirstDataRow, 1, Position(lines + 3), 1);
  Array& cells = matrix.AsArray();
  const int32_t type_row = Position(lines - 1);
  std::vector<ColumnPlan> plans;
  plans.reserve(last_column);
  for (int32_t column = 0; column < last_column; ++column) {
    plans.push_back(
        PlanColumn(book, sheet, matrix, column, TextOrEmpty(cells.at(type_row, column)), lines));
  }

  std::vector<std::string> captions;
  captions.reserve(last_column);
  for (int32_t column = 0; column < last_column; ++column)
    captions.push_back(TextOrEmpty(cells.at(0, column)));

  // The matrix fills rows 3 to L + 1 and columns 1 to K (the last of them
  // left out); each data cell is converted, then written with its
  // column's format.
  sheet.CheckRange(kHeaderRow, 1, Position(lines + 1), Position(columns));
  for (int32_t row = 1; row <= lines - 2; ++row) {
    for (int32_t column = 0; column < last_column; ++column) {
      Variant& cell = cells.at(row, column);
      ConvertReportCell(cell, plans[column].conversion);
      sheet.Write(kHeaderRow + row, column + 1, cell, plans[column].style);
    }
  }

  sheet.AddTable(kTableName, kHeaderRow, 1, Position(lines + 1), std::move(captions), heading);
  sheet.FitColumns();
  sheet.Select(kHeaderRow, 1);
}

}  // namespace tpl

// The report sheet: a result matrix laid out on the worksheet
// "Rel_Dinamico" of a new workbook, the way the users know it:
//
//   row 1        the title, merged over the report's columns, bold, centred
//   row 2        the subtitle, the same way
//   row 3        the column captions, bold, centred: the table's header
//   rows 4 on    one row per data row of the matrix
//
// Each column takes its format from its type code in the matrix's type
// row: "I" whole numbers ("0"), "T" text ("@"), "V" and "D" (and no code)
// a format chosen from the column's first value, "D" also centred. Rows 3
// to L + 1 form the table "Dinamico"; the columns are sized to their
// content and A3 is selected. The matrix's last column (the "DET" marks)
// is not shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "workbook/workbook.h"
#include "tpl/variant.h"

namespace tpl {

// True for Null, Empty and the empty text.
bool mValor_Vazio(const Variant& value);

// The first value of `column`, from row 1 down to the matrix's last row
// (the type and alignment rows included), that is not mValor_Vazio; Empty
// when there is none or `matrix` is not a matrix.
Variant mObter_Valor_Amostra(const Variant& matrix, int32_t column);

// The number format for a column whose first value is `sample` (trimmed):
// a text with "/" is a date, "dd/mm/yyyy" for 10 characters,
// "dd/mm/yyyy hh:mm" for 16, "dd/mm/yyyy hh:mm:ss" for 19 and "" (General)
// for any other length; otherwise "0." followed by one "0" per character
// after the first "." (or, when there is none, the first ","), at least
// two: "0.00" also for a text without a separator.
std::string mObter_Formato_Coluna(const Variant& sample);

// How a column of type code `type` is shown, as described above: its cell
// style (none: the sheet's default look), and how its cells change before
// they are written ("D": a text that is a date becomes a Date; "V": a
// Double). `matrix` gives the first value that chooses a "V" or "D" format.
enum class CellConversion { None, Date, Decimal };
struct ColumnLook {
  std::optional<workbook::CellStyle> style;
  CellConversion conversion = CellConversion::None;
};
ColumnLook ReportColumnLook(const Variant& matrix, int32_t column, const std::string& type);
void ConvertReportCell(Variant& cell, CellConversion conversion);

// Lays the matrix out on a new sheet "Rel_Dinamico" of `book`, followed by
// the empty sheet a new workbook starts with. `line_count` and
// `column_count` are the L and K that came with the matrix. The matrix is
// converted in place: in "D" columns the cells whose trimmed text is a date
// become Dates, in "V" columns every cell becomes a Double (an empty cell
// 0; a text that is no number fails with a type mismatch). Fails with
// error 1004 when the report does not fit a sheet, and 9 when the matrix
// lacks a row or column the layout reads.
void WriteReportSheet(workbook::Workbook& book, const Variant& title, const Variant& subtitle,
                      const Variant& line_count, const Variant& column_count, Variant& matrix);

}  // namespace tpl

// gGrava_Filtro: one change (add, edit, delete) to the filter list that the
// host keeps while a template is being edited, after checking the new
// values. Only the host's variables change; the database is touched only
// by the error log. A refusal leaves the list and its counts as they were.
#include <string>

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "infra/value_checks.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"
#include "templates/filter_list_editing.h"

namespace tpl {
namespace {

// Columns of a filter row.
constexpr int32_t kIdColumn = 0;
constexpr int32_t kCaptionColumn = 1;
constexpr int32_t kPlaceholderColumn = 2;
constexpr int32_t kValueColumn = 6;
constexpr int32_t kFilterColumns = 7;  // column count of a list started here

// The new values of the row being written (columns 1 to 5).
struct FilterValues {
  Variant& caption;
  Variant& placeholder;
  Variant& type_code;
  Variant& mandatory;
  Variant& largest_interval;
};

void WriteRowValues(Array& matrix, int32_t row, const FilterValues& values) {
  matrix.at(row, 1) = values.caption;
  matrix.at(row, 2) = values.placeholder;
  matrix.at(row, 3) = values.type_code;
  matrix.at(row, 4) = values.mandatory;
  matrix.at(row, 5) = values.largest_interval;
}

void WriteNewRow(Array& matrix, int32_t row, const FilterValues& values) {
  matrix.at(row, kIdColumn) = Variant::Integer(0);
  WriteRowValues(matrix, row, values);
  matrix.at(row, kValueColumn) = Variant("");
}

// Cells compare trimmed and in upper case; a Null cell never matches.
bool SameText(const Variant& cell, const std::string& wanted) {
  if (cell.IsNull()) return false;
  return UCase(Trim(CStr(cell))) == wanted;
}

// Refuses a caption or placeholder already used by a row other than `skip`
// (-1 skips none).
bool NoDuplicate(const Array& matrix, double line_count, double skip,
                 const FilterValues& values, Variant& message) {
  std::string caption = UCase(Trim(CStr(values.caption)));
  std::string placeholder = UCase(Trim(CStr(values.placeholder)));
  for (int32_t row = 0; row <= line_count - 1; ++row) {
    if (row == skip) continue;
    if (SameText(matrix.at(row, kCaptionColumn), caption)) {
      message = Variant(Compose(sentences::kCaptionExists, CStr(values.caption)));
      return false;
    }
    if (SameText(matrix.at(row, kPlaceholderColumn), placeholder)) {
      message = Variant(Compose(sentences::kPlaceholderExists, CStr(values.placeholder)));
      return false;
    }
  }
  return true;
}

bool CheckNewValues(const Variant& user, Variant& message, const FilterValues& values) {
  Variant no_limit("");
  Variant mandatory("S");
  if (!gConsiste_String(Variant(sentences::kCaptionShow), values.caption, no_limit, user, message, mandatory))
    return false;
  if (!gConsiste_String(Variant(sentences::kCaptionPlaceholder), values.placeholder, no_limit, user, message, mandatory))
    return false;
  std::string placeholder = TrimmedText(values.placeholder);
  if (Left(placeholder, 1) != "{" || Right(placeholder, 1) != "}") {
    message = Variant(sentences::kPlaceholderBraces);
    return false;
  }
  if (TrimmedText(values.mandatory).empty()) values.mandatory = Variant("N");
  if (TrimmedText(values.type_code).empty()) {
    message = Variant(sentences::kTypeMissing);
    return false;
  }
  if (TrimmedText(values.type_code) != "D" && !TrimmedText(values.largest_interval).empty()) {
    message = Variant(sentences::kRangeOnlyForDates);
    return false;
  }
  return true;
}

// The row an edit or deletion refers to must be one of the list's rows.
int32_t RowOfPosition(const Variant& position, double line_count) {
  double row = CDbl(mNormaliza_Numero(position));
  if (row < 0 || row > line_count - 1 || row != static_cast<int32_t>(row))
    Raise(error::kSubscriptOutOfRange);
  return static_cast<int32_t>(row);
}

}  // namespace

Variant gGrava_Filtro(const CallContext& call, Variant& /*invntTemplate_id*/,
                      Variant& IOVntQtde_Lin_Matriz_Filtro, Variant& IOVntQtde_Col_Matriz_Filtro,
                      Variant& IOVntArrMatriz_Filtro, Variant& /*InVntCOLUNA_ID*/,
                      Variant& InVntExibir, Variant& InVntValor, Variant& InVntTipoVariavel,
                      Variant& InVntObrigatorio, Variant& InVntQtdeDiasMax, Variant& InVntPosicao,
                      Variant& InVntTipo_Acao) {
  return RunMethod(traps::kGravaFiltroTrap, call, [&] {
    InVntExibir = Variant(mRetira_Caracteres(TextOrEmpty(InVntExibir)));
    InVntValor = Variant(mRetira_Caracteres(TextOrEmpty(InVntValor)));
    FilterValues values{InVntExibir, InVntValor, InVntTipoVariavel, InVntObrigatorio,
                        InVntQtdeDiasMax};
    std::string action = TrimmedText(InVntTipo_Acao);
    if (action != "EX" && !CheckNewValues(call.user(), call.message(), values)) return false;

    double line_count = CDbl(mNormaliza_Numero(IOVntQtde_Lin_Matriz_Filtro));

    if (action == "ED") {
      Array& matrix = IOVntArrMatriz_Filtro.AsArray();
      int32_t row = RowOfPosition(InVntPosicao, line_count);
      if (!NoDuplicate(matrix, line_count, row, values, call.message())) return false;
      WriteRowValues(matrix, row, values);
      return true;
    }

    if (action == "EX") {
      const Array& old = IOVntArrMatriz_Filtro.AsArray();
      int32_t removed = RowOfPosition(InVntPosicao, line_count);
      int16_t last = CInt(Subtract(IOVntQtde_Lin_Matriz_Filtro, Variant::Integer(1)));
      Array shrunk = Array::Matrix(last, CLng(IOVntQtde_Col_Matriz_Filtro));
      for (int32_t row = 0; row < last; ++row) {
        int32_t source = row < removed ? row : row + 1;
        for (int32_t column = 0; column < kFilterColumns; ++column)
          shrunk.at(row, column) = old.at(source, column);
      }
      IOVntQtde_Lin_Matriz_Filtro = Variant::Integer(last);
      IOVntArrMatriz_Filtro = Variant(std::move(shrunk));
      return true;
    }

    if (line_count > 0) {
      const Array& old = IOVntArrMatriz_Filtro.AsArray();
      if (!NoDuplicate(old, line_count, -1, values, call.message())) return false;
      Variant new_count = Add(IOVntQtde_Lin_Matriz_Filtro, Variant::Integer(1));
      int32_t rows = CLng(new_count);
      int32_t columns = CLng(IOVntQtde_Col_Matriz_Filtro);
      // The new list keeps the shape of a list read from the database: one
      // spare row, and the last column left Empty.
      Array grown = Array::Matrix(rows, columns);
      for (int32_t row = 0; row <= rows - 2; ++row) {
        for (int32_t column = 0; column <= columns - 1; ++column)
          grown.at(row, column) = old.at(row, column);
      }
      WriteNewRow(grown, rows - 1, values);
      IOVntQtde_Lin_Matriz_Filtro = new_count;
      IOVntArrMatriz_Filtro = Variant(std::move(grown));
      return true;
    }

    Array first = Array::Matrix(1, kFilterColumns);
    WriteNewRow(first, 0, values);
    IOVntQtde_Lin_Matriz_Filtro = Variant::Integer(1);
    IOVntQtde_Col_Matriz_Filtro = Variant::Integer(kFilterColumns);
    IOVntArrMatriz_Filtro = Variant(std::move(first));
    return true;
  });
}

}  // namespace tpl

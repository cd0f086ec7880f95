// The filters of a report: the filter matrix as report execution reads it
// (one row per filter, a line count sent along with it), list filters whose
// placeholder is written {@NAME@}, the command words a report query may never
// contain, and mConsiste_Filtros, which checks every value the user typed
// before a report runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

inline constexpr int32_t kFilterCaptionColumn = 1;
inline constexpr int32_t kFilterPlaceholderColumn = 2;
inline constexpr int32_t kFilterTypeColumn = 3;
inline constexpr int32_t kFilterMandatoryColumn = 4;
inline constexpr int32_t kFilterValueColumn = 6;

// The last row to visit, from the line count (Null or empty read as 0). Rows
// are counted with a 16-bit integer, so a count above 32767 overflows (error
// 6) before any row is touched. A count of 0 gives -1.
int16_t LastFilterRow(const Variant& line_count);

// The type code of a row: trimmed and in upper case ("D", "N", "U", "C",
// "V" or anything else).
std::string FilterTypeCode(const Variant& cell);

// Calls visit(matrix, row) for rows 0 to line count - 1 and stops at the
// first false. The matrix is only touched when there is a row to visit; one
// that is not a two-dimensional array then raises.
template <typename Visit>
bool VisitFilterRows(const Variant& line_count, Variant& matrix, Visit&& visit) {
  int16_t last = LastFilterRow(line_count);
  for (int32_t row = 0; row <= last; ++row) {
    if (!visit(matrix.AsArray(), row)) return false;
  }
  return true;
}

// True when the placeholder, without surrounding blanks, has "@" as its
// second and as its second-to-last character ({@} counts: both are the same
// "@"). A placeholder shorter than two characters is never a list filter.
bool IsListFilter(const Variant& placeholder);

// True when the query, trimmed and in upper case, contains one of DELETE,
// UPDATE, INSERT, TRUNCATE, CREATE, ALTER, DROP, BEGIN, TRIGGER or SET
// followed by one blank, anywhere (so "OFFSET " counts, and a final
// "DELETE" without a blank does not).
bool ContainsForbiddenCommand(std::string_view query);

// Visits the filter rows in order and stops at the first refusal. Each
// value is checked by its type code and written back into column 6 of the
// matrix filtered of the characters that must never reach SQL text; an
// accepted single date is rewritten as yyyy/mm/dd, list values keep the
// form they were typed in. Then the query must be non-empty and free of
// data-changing command words.
//
// False with the message for the user on a refusal, or with the routine's
// sentence after an unexpected failure (logged with the caller's Database
// kind, connection string and user; user 1 also sees the detail). Column 6
// of the rows visited keeps what was written into it.
bool mConsiste_Filtros(const CallContext& call, Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                       Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro);

}  // namespace tpl

// The filter matrix as report execution reads it: one row per filter, the
// columns below, and a line count that the host sends along with it.
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace tpl

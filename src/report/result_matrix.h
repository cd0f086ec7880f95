// The result matrix: a row set laid out for the host's screen. With N data
// rows and F columns it has rows 0 to N + 2 and columns 0 to F + 1:
//
//   row 0             the column names
//   rows 1 to N       the values, converted per column kind, then "DET"
//                     and the empty text in columns F and F + 1
//   row N + 1         one type code per column: "V", "I", "D" or "T"
//   row N + 2         one alignment per column: "Right", "Center", "Left"
//
// Every other cell is Empty. The kind of a column is decided cell by cell,
// so the type and alignment rows hold the decision of the last data row.
#pragma once

#include <cstdint>

#include "database/provider.h"
#include "tpl/variant.h"

namespace tpl {

struct ResultMatrixRules {
  // True for the main matrix: decimal cells honour the zero-display flag
  // and dates are recognised by the date-shape test. False for additional
  // matrices: zero decimals are always empty and dates are recognised by
  // the platform's own date recognition.
  bool main_matrix = true;
  Variant zero_display_flag{"N"};
};

struct ResultMatrix {
  int32_t line_count = 0;    // N + 2
  int32_t column_count = 0;  // F + 1
  Array cells;
};

// Builds the matrix from a fully fetched row set, moving its values out:
// the row set is left without cells.
ResultMatrix BuildResultMatrix(db::ResultSet& rows, const ResultMatrixRules& rules);

}  // namespace tpl

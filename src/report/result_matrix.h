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
#include <exception>
#include <memory>
#include <optional>
#include <vector>

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

// Rows fetched and laid out at a time: few enough for a block's cells to
// stay in the processor's cache between the fetch and the layout.
inline constexpr size_t kResultMatrixRowsPerBlock = 256;

// Lays a row set out as the result matrix while its rows arrive, block by
// block (db::Command::ExecuteInBlocks): each block's values are converted
// and moved to their place in the matrix as it comes, so the fetched rows
// never stand whole beside the matrix, and the matrix is never moved. Its
// receiver() is the BlockReceiver.
class ResultMatrixBuilder {
 public:
  explicit ResultMatrixBuilder(const ResultMatrixRules& rules);
  ResultMatrixBuilder(const ResultMatrixBuilder&) = delete;
  ResultMatrixBuilder& operator=(const ResultMatrixBuilder&) = delete;
  ~ResultMatrixBuilder();

  // The number of rows to come, where it is known: the matrix is then
  // sized for them at once.
  void ExpectRows(size_t rows);

  // Takes the rows of one block, moving its values out. Blocks hold
  // kResultMatrixRowsPerBlock rows but the last.
  void Add(db::ResultSet& block);
  db::BlockReceiver receiver() {
    return [this](db::ResultSet& block) { Add(block); };
  }

  // The data rows taken so far.
  int32_t record_count() const noexcept { return record_count_; }

  // The finished matrix. `columns` are the row set's columns as a whole
  // fetch types them: a column typed by its values (ColumnInfo::
  // typed_by_values) is converted only here, with its final type. A value
  // that could not be converted raises here, as the whole build would
  // have: a stream's conversion failure must not stop the fetch, whose own
  // failure, further on, comes first.
  ResultMatrix Finish(const std::vector<db::ColumnInfo>& columns);

 private:
  class Converter;

  // Takes the columns, sizes the storage and writes the header row.
  void Start(const std::vector<db::ColumnInfo>& columns, size_t first_block_rows, bool last_block);

  std::unique_ptr<Converter> convert_;
  bool main_matrix_;
  bool started_ = false;                 // a block came
  std::optional<size_t> expected_rows_;
  std::vector<db::ColumnInfo> columns_;  // of the first block
  VariantVector cells_;                  // the matrix, row by row, as far as it came
  std::vector<uint8_t> last_kind_;       // the kind of each column's last data cell
  int32_t record_count_ = 0;
  std::exception_ptr failure_;           // the first conversion that failed
};

// Builds the matrix from a fully fetched row set, moving its values out:
// the row set is left without cells.
ResultMatrix BuildResultMatrix(db::ResultSet& rows, const ResultMatrixRules& rules);

}  // namespace tpl

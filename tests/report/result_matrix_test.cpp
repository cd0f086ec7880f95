#include "report/result_matrix.h"

#include "conventions/value_helpers.h"
#include "support/suite.h"

namespace tpl {
namespace {

using db::ColumnInfo;
using db::DataType;

ResultMatrix Build(std::vector<ColumnInfo> columns, db::CellStore cells, const ResultMatrixRules& rules = {}) {
  db::ResultSet set;
  set.columns = std::move(columns);
  set.cells = std::move(cells);
  return BuildResultMatrix(set, rules);
}

// Numbers align right, texts left, the rest centred.
TEST(ResultMatrix, ColumnKinds) {
  using T = DataType;
  struct Row { ColumnInfo column; Variant value, cell; std::string type; };
  const Variant date = testing::MakeDate(2001, 10, 13);
  const std::vector<Row> rows = {
      {{"V", T::Numeric, 3}, 1234.5678, "1234,567", "V"}, {{"V", T::Numeric, 1}, 12.5, "12,50", "V"},
      {{"V", T::Decimal, 2}, "12.5", "12,50", "V"}, {{"V", T::Double, 2}, 0.004, "", "V"},
      {{"V", T::VarNumeric, 2}, Variant::Null(), "", "V"}, {{"I", T::Numeric, 0}, 15.0, 15.0, "I"},
      {{"I", T::Numeric, 0}, Variant::Null(), Variant::Integer(0), "I"}, {{"I", T::Double, 0}, "1.5", "1,5", "I"},
      {{"N", T::Integer, 0}, Variant::Null(), "", "I"}, {{"D", T::Date, 0}, date, date, "D"},
      {{"T", T::VarChar, 0}, "13/10/2001", "13/10/2001", "D"},
      {{"T", T::VarChar, 0}, "2001-10-13 10:20", "2001-10-13 10:20", "D"},
      {{"T", T::VarChar, 0}, "13/10/01", "13/10/01", "T"}, {{"T", T::VarChar, 0}, "31/02/2001", "31/02/2001", "T"},
      // The date shape is tested on a filtered copy; the cell keeps its text.
      {{"T", T::VarChar, 0}, "(13/10/2001)", "(13/10/2001)", "D"},
  };
  for (const Row& row : rows) {
    ResultMatrix m = Build({row.column}, {row.value});
    const std::string label = row.column.name + " " + CStr(row.cell);
    const char* alignment = row.type == "V" ? "Right" : row.type == "T" ? "Left" : "Center";
    EXPECT_EQ(m.cells.at(1, 0), row.cell) << label;
    EXPECT_EQ(m.cells.at(2, 0), Variant(row.type)) << label;
    EXPECT_EQ(m.cells.at(3, 0), Variant(alignment)) << label;
  }
  EXPECT_THROW(Build({{"V", DataType::Numeric, 2}}, {"abc"}), RuntimeError);
}

TEST(ResultMatrix, ZeroDisplayFlagAndAdditionalMatrixRules) {
  auto decimal = [](Variant value, ResultMatrixRules rules) {
    return Build({{"V", DataType::Numeric, 2}}, {value}, rules).cells.at(1, 0);
  };
  EXPECT_EQ(decimal(0.0, {true, "S"}), Variant("0,00"));
  EXPECT_EQ(decimal(0.0, {false, "S"}), Variant(""));

  // The type row follows the last data row.
  const ColumnInfo text{"T", DataType::VarChar, 0};
  EXPECT_EQ(Build({text}, {"abc", "13/10/2001"}).cells.at(3, 0), Variant("D"));
  EXPECT_EQ(Build({text}, {"13/10/2001", "abc"}).cells.at(3, 0), Variant("T"));
  // Additional matrices recognise dates the platform's way: the month-first text passes there too, a long non-date text
  // does not.
  const Variant words("13 de outubro de 2001");
  EXPECT_EQ(Build({text}, {words}, {false, "N"}).cells.at(2, 0), Variant(IsDate(words) ? "D" : "T"));
  EXPECT_EQ(Build({text}, {"não é uma data"}, {false, "N"}).cells.at(2, 0), Variant("T"));
}

// Decimal cells are written straight from the number's digits; they must read exactly as the platform's decimal
// routine writes them, for every size of number and number of places, and with either zero flag.
TEST(ResultMatrix, DecimalCellsReadAsTheDecimalRoutineWritesThem) {
  const std::vector<double> numbers = {-1, -1234.5678, 1e14 + 0.25, 999999999999999.0, 1e15, -2.5e17, 0.004,
                                       0.005, 1.005, 2.0 / 3, 1e-7, 123456.789012345678};
  for (const char* flag : {"N", "S"}) {
    for (int32_t scale : {1, 2, 3, 12, 40}) {
      for (double number : numbers) {
        const ResultMatrix m = Build({{"V", DataType::Numeric, scale}}, {number}, {true, flag});
        const Variant expected = mFormata_Decimal(Variant(number), Variant(""),
                                                  Variant(std::to_string(std::max(scale, 2))), Variant(flag));
        EXPECT_EQ(m.cells.at(1, 0), expected) << number << " scale " << scale << " flag " << flag;
      }
    }
  }
}

// Rows laid out block by block as they arrive give the matrix of the whole row set. A column typed by its values
// takes the type the whole row set gives it, also in the rows of blocks that came before its type changed (its Null
// becomes 0 once the column is a number). That a value which cannot be converted fails at the end, not in the fetch,
// shows in the query execution tests (FailuresWhileRowsArriveLeaveTheOutputsUntouched).
TEST(ResultMatrix, BlocksGiveTheWholeRowSetsMatrix) {
  ColumnInfo computed{"C", DataType::Integer, 0};
  computed.typed_by_values = true;
  const std::vector<ColumnInfo> first = {{"A", DataType::Integer, 0}, {"V", DataType::Numeric, 2}, computed};
  std::vector<ColumnInfo> final_columns = first;
  final_columns[2].type = DataType::Double;
  const std::vector<std::vector<Variant>> rows = {
      {Variant(1), Variant(1.5), Variant::Null()}, {Variant(2), Variant::Null(), Variant(7)}, {Variant(3), Variant(2.25), Variant(2.5)}};
  ResultMatrixBuilder builder({});
  for (const auto& row : rows) {
    db::ResultSet block;
    block.columns = first;
    for (const Variant& cell : row) block.cells.push_back(cell);
    builder.Add(block);
  }
  EXPECT_EQ(builder.record_count(), 3);
  const ResultMatrix streamed = builder.Finish(final_columns);
  EXPECT_EQ(std::pair(streamed.line_count, streamed.column_count), std::pair(5, 4));
  EXPECT_EQ(testing::ShowRows(streamed.cells), "A|V|C|<empty>|<empty>;1|1,50|0|DET|;2||7|DET|;3|2,25|2,5|DET|;"
                                              "I|V|I|<empty>|<empty>;Center|Right|Center|<empty>|<empty>");
  EXPECT_EQ(streamed.cells.at(1, 2), Variant::Integer(0));
}

}  // namespace
}  // namespace tpl

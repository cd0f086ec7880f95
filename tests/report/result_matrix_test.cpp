#include "report/result_matrix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

using db::ColumnInfo;
using db::DataType;

db::ResultSet Rows(std::vector<ColumnInfo> columns, db::CellStore cells) {
  db::ResultSet set;
  set.columns = std::move(columns);
  set.cells = std::move(cells);
  return set;
}

Variant D(int y, int m, int d) {
  Date date;
  EXPECT_TRUE(TryMakeDate({y, m, d, 0, 0, 0}, date));
  return Variant(date);
}

TEST(ResultMatrix, LayoutOfThreeRowsAndTwoColumns) {
  db::ResultSet set = Rows({{"CODIGO", DataType::Integer, 0}, {"NOME", DataType::VarChar, 0}},
                           {Variant::Long(1), Variant("a"), Variant::Long(2), Variant::Null(),
                            Variant::Null(), Variant("c")});
  ResultMatrix m = BuildResultMatrix(set, {});
  EXPECT_EQ(m.line_count, 5);
  EXPECT_EQ(m.column_count, 3);
  ASSERT_EQ(m.cells.UBound(1), 5);
  ASSERT_EQ(m.cells.UBound(2), 3);
  EXPECT_EQ(m.cells.at(0, 0), Variant("CODIGO"));
  EXPECT_EQ(m.cells.at(0, 1), Variant("NOME"));
  EXPECT_TRUE(m.cells.at(0, 2).IsEmpty());
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(m.cells.at(r, 2), Variant("DET")) << r;
    EXPECT_EQ(m.cells.at(r, 3), Variant("")) << r;
  }
  EXPECT_EQ(m.cells.at(1, 0), Variant::Long(1));
  EXPECT_EQ(m.cells.at(2, 1), Variant("")) << "Null text becomes the empty text";
  EXPECT_EQ(m.cells.at(3, 0), Variant("")) << "Null integer becomes the empty text";
  EXPECT_EQ(m.cells.at(4, 0), Variant("I"));
  EXPECT_EQ(m.cells.at(4, 1), Variant("T"));
  EXPECT_EQ(m.cells.at(5, 0), Variant("Center"));
  EXPECT_EQ(m.cells.at(5, 1), Variant("Left"));
  EXPECT_TRUE(m.cells.at(4, 2).IsEmpty());
  EXPECT_TRUE(m.cells.at(5, 3).IsEmpty());
}

TEST(ResultMatrix, ColumnKinds) {
  struct Row {
    ColumnInfo column;
    Variant value;
    Variant cell;
    const char* type;
    const char* alignment;
  };
  std::vector<Row> rows = {
      {{"V", DataType::Numeric, 3}, Variant(1234.5678), Variant("1234,567"), "V", "Right"},
      {{"V", DataType::Numeric, 1}, Variant(12.5), Variant("12,50"), "V", "Right"},
      {{"V", DataType::Decimal, 2}, Variant("12.5"), Variant("12,50"), "V", "Right"},
      {{"V", DataType::Double, 2}, Variant(0.004), Variant(""), "V", "Right"},
      {{"V", DataType::VarNumeric, 2}, Variant::Null(), Variant(""), "V", "Right"},
      {{"I", DataType::Numeric, 0}, Variant(15.0), Variant(15.0), "I", "Center"},
      {{"I", DataType::Numeric, 0}, Variant::Null(), Variant::Integer(0), "I", "Center"},
      {{"I", DataType::Double, 0}, Variant("1.5"), Variant("1,5"), "I", "Center"},
      {{"D", DataType::Date, 0}, D(2001, 10, 13), D(2001, 10, 13), "D", "Center"},
      {{"D", DataType::DBDate, 0}, Variant::Null(), Variant(""), "D", "Center"},
      {{"T", DataType::VarChar, 0}, Variant("13/10/2001"), Variant("13/10/2001"), "D", "Center"},
      {{"T", DataType::VarChar, 0}, Variant("2001-10-13 10:20"), Variant("2001-10-13 10:20"), "D",
       "Center"},
      {{"T", DataType::VarChar, 0}, Variant("13/10/01"), Variant("13/10/01"), "T", "Left"},
      {{"T", DataType::Char, 0}, Variant("ação"), Variant("ação"), "T", "Left"},
      {{"N", DataType::Integer, 0}, Variant::Long(7), Variant::Long(7), "I", "Center"},
  };
  for (const Row& row : rows) {
    db::ResultSet set = Rows({row.column}, {row.value});
    ResultMatrix m = BuildResultMatrix(set, {});
    std::string label = row.column.name + " " + CStr(row.cell);
    EXPECT_EQ(m.cells.at(1, 0), row.cell) << label;
    EXPECT_EQ(m.cells.at(2, 0), Variant(row.type)) << label;
    EXPECT_EQ(m.cells.at(3, 0), Variant(row.alignment)) << label;
  }
}

TEST(ResultMatrix, ZeroDisplayFlagAndAdditionalMatrixRules) {
  ColumnInfo decimal{"V", DataType::Numeric, 2};
  db::ResultSet shown = Rows({decimal}, {Variant(0.0)});
  EXPECT_EQ(BuildResultMatrix(shown, {true, Variant("S")}).cells.at(1, 0), Variant("0,00"));
  db::ResultSet hidden = Rows({decimal}, {Variant(0.0)});
  EXPECT_EQ(BuildResultMatrix(hidden, {true, Variant("N")}).cells.at(1, 0), Variant(""));
  db::ResultSet additional = Rows({decimal}, {Variant(0.0)});
  EXPECT_EQ(BuildResultMatrix(additional, {false, Variant("S")}).cells.at(1, 0), Variant(""));
  // A flag that cannot be read as text fails every decimal cell alike.
  db::ResultSet unreadable = Rows({decimal}, {Variant(12.5)});
  EXPECT_EQ(BuildResultMatrix(unreadable, {true, Variant(Array::Vector(0))}).cells.at(1, 0),
            Variant::Integer(0));

  // Additional matrices recognise dates the platform's way: the month-first
  // text passes there too, a long non-date text does not.
  ColumnInfo text{"T", DataType::VarChar, 0};
  db::ResultSet dates = Rows({text}, {Variant("13 de outubro de 2001")});
  ResultMatrix m = BuildResultMatrix(dates, {false, Variant("N")});
  EXPECT_EQ(m.cells.at(2, 0), Variant(IsDate(Variant("13 de outubro de 2001")) ? "D" : "T"));
  db::ResultSet words = Rows({text}, {Variant("não é uma data")});
  EXPECT_EQ(BuildResultMatrix(words, {false, Variant("N")}).cells.at(2, 0), Variant("T"));
}

TEST(ResultMatrix, TypeRowFollowsTheLastDataRow) {
  ColumnInfo text{"T", DataType::VarChar, 0};
  db::ResultSet set = Rows({text}, {Variant("abc"), Variant("13/10/2001")});
  ResultMatrix m = BuildResultMatrix(set, {});
  EXPECT_EQ(m.cells.at(3, 0), Variant("D"));
  db::ResultSet reverse = Rows({text}, {Variant("13/10/2001"), Variant("abc")});
  EXPECT_EQ(BuildResultMatrix(reverse, {}).cells.at(3, 0), Variant("T"));
}

// Rows of a big result straddle the storage blocks of the row set.
TEST(ResultMatrix, ManyRowsKeepTheirOrder) {
  db::ResultSet set;
  set.columns = {{"ID", DataType::Integer, 0}, {"V", DataType::Numeric, 2}, {"T", DataType::VarChar, 0}};
  constexpr int32_t kRows = 5000;
  for (int32_t i = 0; i < kRows; ++i) {
    set.cells.push_back(Variant(i));
    set.cells.push_back(Variant(i + 0.5));
    set.cells.push_back(Variant("n" + std::to_string(i)));
  }
  ResultMatrix m = BuildResultMatrix(set, {});
  ASSERT_EQ(m.line_count, kRows + 2);
  for (int32_t i = 0; i < kRows; ++i) {
    ASSERT_EQ(m.cells.at(i + 1, 0), Variant(i));
    ASSERT_EQ(m.cells.at(i + 1, 1), Variant(std::to_string(i) + ",50"));
    ASSERT_EQ(m.cells.at(i + 1, 2), Variant("n" + std::to_string(i)));
  }
}

TEST(ResultMatrix, DecimalThatIsNoNumberFails) {
  db::ResultSet set = Rows({{"V", DataType::Numeric, 2}}, {Variant("abc")});
  EXPECT_THROW(BuildResultMatrix(set, {}), RuntimeError);
}

}  // namespace
}  // namespace tpl

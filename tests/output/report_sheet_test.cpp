#include "output/report_sheet.h"

#include "platform/error_number.h"
#include "support/suite.h"

namespace tpl {
namespace {

namespace fs = std::filesystem;
using platform_test::ErrorNumber;

TEST(ColumnFormat, ChosenFromTheFirstValue) {
  struct Case {
    Variant sample;
    std::string format;
  };
  const Case cases[] = {
      {"1234,5", "0.00"},
      {"12,345", "0.000"},
      {" 12,3456 ", "0.0000"},
      {"1.234,56", "0.000000"},  // the first "." wins, and all after it counts
      {"Ação,ÇÃO", "0.000"},     // characters, not bytes
      {"abc", "0.00"},
      {"", "0.00"},
      {Variant(), "0.00"},
      {Variant(1234.5), "0.00"},
      {"13/10/2001", "dd/mm/yyyy"},
      {"13/10/2001 10:20", "dd/mm/yyyy hh:mm"},
      {testing::MakeDate(2001, 10, 13, 10, 20), "dd/mm/yyyy hh:mm:ss"},
      {"1/2/2001", ""},
      {"13/10/2001 10:20:00.000", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(mObter_Formato_Coluna(c.sample), c.format) << testing::Show(c.sample);
}

TEST(ColumnFormat, SampleIsTheFirstValueThatIsNotEmpty) {
  Array cells = Array::Matrix(4, 1);
  cells.at(0, 0) = "Título";
  cells.at(1, 0) = Variant::Null();
  cells.at(2, 0) = "";
  cells.at(3, 0) = " ";
  Variant matrix(cells);
  EXPECT_EQ(mObter_Valor_Amostra(matrix, 0), Variant(" "));
  matrix.AsArray().at(3, 0) = Variant();
  matrix.AsArray().at(4, 0) = "V";  // a column with no value at all reaches the type row
  EXPECT_EQ(mObter_Valor_Amostra(matrix, 0), Variant("V"));
  EXPECT_TRUE(mObter_Valor_Amostra(matrix, 1).IsEmpty());
  EXPECT_TRUE(mObter_Valor_Amostra(testing::Vector({"a", "b"}), 0).IsEmpty());
  EXPECT_FALSE(mValor_Vazio(Variant::Integer(0)));
}

// A one-column report with one data row (L = 3, K = 2), laid out on a
// workbook that is never saved; the error number, 0 on success.
int32_t LayOut(const Variant& value, const Variant& lines, const Variant& columns, bool matrix = true) {
  Array cells = Array::Matrix(3, 2);
  cells.at(0, 0) = "Valor";
  cells.at(1, 0) = value;
  cells.at(1, 1) = "DET";
  cells.at(2, 0) = "V";
  Variant report = matrix ? Variant(std::move(cells)) : Variant("x");
  workbook::Workbook book(fs::temp_directory_path() / "tpl-report-sheet.xlsx");
  return ErrorNumber([&] { WriteReportSheet(book, "Vendas", "Outubro", lines, columns, report); });
}

TEST(ReportSheet, WhatCannotBeLaidOutFailsWithTheSpreadsheetsError) {
  EXPECT_EQ(LayOut("1,5", "3", "2"), 0);
  EXPECT_EQ(LayOut("1,5", "3", "1"), workbook::kSpreadsheetError) << "no column to show";
  EXPECT_EQ(LayOut("1,5", Variant::Long(workbook::kMaxRows - 2), "2"), workbook::kSpreadsheetError);
  EXPECT_EQ(LayOut("1,5", "1", "2"), workbook::kSpreadsheetError) << "no header row left";
  EXPECT_EQ(LayOut("1,5", "9", "2"), error::kSubscriptOutOfRange) << "fewer rows than counted";
  EXPECT_EQ(LayOut("abc", "3", "2"), error::kTypeMismatch) << "a decimal that is no number";
  EXPECT_EQ(LayOut("1,5", "três", "2"), error::kTypeMismatch);
  EXPECT_EQ(LayOut("1,5", "3", "2", false), error::kTypeMismatch) << "no matrix";
}

}  // namespace
}  // namespace tpl

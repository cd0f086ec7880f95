#include "output/report_sheet.h"

#include "values/error_number.h"
#include "support/suite.h"

namespace tpl {
namespace {

namespace fs = std::filesystem;
using platform_test::ErrorNumber;

TEST(ColumnFormat, ChosenFromTheFirstValueThatIsNotEmpty) {
  struct Case { Variant sample; std::string format; };
  const Case cases[] = {
      {"1234,5", "0.00"}, {" 12,3456 ", "0.0000"}, {"abc", "0.00"}, {Variant(), "0.00"}, {Variant(1234.5), "0.00"},
      {"1.234,56", "0.000000"},  // the first "." wins, and all after it counts
      {"Ação,ÇÃO", "0.000"},     // characters, not bytes
      {"13/10/2001", "dd/mm/yyyy"}, {"13/10/2001 10:20", "dd/mm/yyyy hh:mm"}, {"1/2/2001", ""},
      {testing::MakeDate(2001, 10, 13, 10, 20), "dd/mm/yyyy hh:mm:ss"}, {"13/10/2001 10:20:00.000", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(mObter_Formato_Coluna(c.sample), c.format) << testing::Show(c.sample);

  Variant matrix = testing::Matrix(4, 1, {{"Título"}, {Variant::Null()}, {""}, {" "}});
  EXPECT_EQ(mObter_Valor_Amostra(matrix, 0), Variant(" "));
  matrix.AsArray().at(3, 0) = Variant();
  matrix.AsArray().at(4, 0) = "V";  // a column with no value at all reaches the type row
  EXPECT_EQ(mObter_Valor_Amostra(matrix, 0), Variant("V"));
  EXPECT_FALSE(mValor_Vazio(Variant::Integer(0)));
}

// A one-column report of type `type` (L = rows + 2, K = 2), laid out on a workbook that is never saved; the error
// number, 0 on success.
int32_t LayOut(Variant& report, const std::vector<Variant>& values, const Variant& lines,
               const Variant& columns, const char* type = "V") {
  std::vector<std::vector<Variant>> cells = {{"Valor"}};
  for (const Variant& value : values) cells.push_back({value, "DET"});
  cells.push_back({type});
  if (report.IsEmpty()) report = testing::Matrix(static_cast<int32_t>(cells.size()), 2, cells);
  workbook::Workbook book(fs::temp_directory_path() / "tpl-report-sheet.xlsx");
  return ErrorNumber([&] { WriteReportSheet(book, "Vendas", "Outubro", lines, columns, report); });
}

int32_t LayOut(const Variant& value, const Variant& lines, const Variant& columns) {
  Variant report;
  return LayOut(report, {value}, lines, columns);
}

// A date cell becomes the date its trimmed text reads as; a cell that already holds a Date must come out the same
// without the text.
TEST(ReportSheet, DateCellsBecomeWhatTheirTextReadsAs) {
  const std::vector<Variant> dates = {
      Variant(Date{37177.4305555 + 0.7 / 86400}),  // 13/10/2001 10:20:00.7
      testing::MakeDate(1899, 12, 30, 12),          // a time alone
      testing::MakeDate(1899, 12, 29, 6),           // before day zero
      testing::MakeDate(100, 1, 1), testing::MakeDate(9999, 12, 31, 23, 59, 59)};
  Variant report;
  ASSERT_EQ(LayOut(report, dates, Variant::Long(static_cast<int32_t>(dates.size()) + 2), "2", "D"), 0);
  for (size_t i = 0; i < dates.size(); ++i) {
    Date read;
    ASSERT_TRUE(TryParseDate(CStr(dates[i]), read)) << CStr(dates[i]);
    EXPECT_EQ(report.AsArray().at(static_cast<int32_t>(i) + 1, 0), Variant(read)) << CStr(dates[i]);
  }
}

// More rows than a sheet holds: see the export's failures.
TEST(ReportSheet, WhatCannotBeLaidOutFailsWithTheSpreadsheetsError) {
  EXPECT_EQ(LayOut("1,5", "3", "2"), 0);
  EXPECT_EQ(LayOut("doze", "3", "2"), error::kTypeMismatch) << "a decimal that is no number";
  EXPECT_EQ(LayOut("1,5", "3", "1"), workbook::kSpreadsheetError) << "no column to show";
  EXPECT_EQ(LayOut("1,5", "1", "2"), workbook::kSpreadsheetError) << "no header row left";
  EXPECT_EQ(LayOut("1,5", "9", "2"), error::kSubscriptOutOfRange) << "fewer rows than counted";
  EXPECT_EQ(LayOut("1,5", "três", "2"), error::kTypeMismatch);
  Variant no_matrix("x");
  EXPECT_EQ(LayOut(no_matrix, {}, "3", "2"), error::kTypeMismatch);
}

}  // namespace
}  // namespace tpl

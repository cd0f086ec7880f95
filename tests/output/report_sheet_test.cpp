#include "output/report_sheet.h"

#include <unistd.h>

#include "platform/error_number.h"
#include "support/suite.h"
#include "support/workbook_reader.h"

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
  Array cells = Array::Matrix(5, 1);
  cells.at(0, 0) = "Título";
  cells.at(1, 0) = Variant::Null();
  cells.at(2, 0) = "";
  cells.at(3, 0) = " ";
  Variant matrix(cells);
  EXPECT_EQ(mObter_Valor_Amostra(matrix, 0), Variant(" "));
  // A column with no value at all reaches the type row.
  matrix.AsArray().at(3, 0) = Variant();
  matrix.AsArray().at(4, 0) = "V";
  EXPECT_EQ(mObter_Valor_Amostra(matrix, 0), Variant("V"));
  EXPECT_TRUE(mObter_Valor_Amostra(matrix, 1).IsEmpty());
  EXPECT_TRUE(mObter_Valor_Amostra(Variant("x"), 0).IsEmpty());
  EXPECT_TRUE(mObter_Valor_Amostra(testing::Vector({"a", "b"}), 0).IsEmpty());
  EXPECT_FALSE(mValor_Vazio(Variant::Integer(0)));
  EXPECT_FALSE(mValor_Vazio(Variant(false)));
}

// A report of L - 2 data rows and K - 1 columns, laid out as a result
// matrix: header, rows ending in "DET", type row, alignment row.
Variant ResultMatrix(const std::vector<std::vector<Variant>>& rows, const std::vector<std::string>& types) {
  const int32_t columns = static_cast<int32_t>(types.size());
  Array cells = Array::Matrix(static_cast<int32_t>(rows.size()) + 1, columns + 1);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (int32_t c = 0; c < columns; ++c) cells.at(r, c) = rows[r][c];
    if (r > 0) cells.at(r, columns) = "DET", cells.at(r, columns + 1) = "";
  }
  for (int32_t c = 0; c < columns; ++c) cells.at(rows.size(), c) = types[c];
  return Variant(std::move(cells));
}

class ReportSheet : public ::testing::Test {
 protected:
  ~ReportSheet() override { fs::remove(file_); }
  // Lays the matrix out and saves it; the error number, 0 on success.
  int32_t Write(Variant& matrix, const Variant& lines, const Variant& columns) {
    workbook::Workbook book(file_);
    int32_t error = ErrorNumber([&] { WriteReportSheet(book, "  Vendas  ", "Outubro", lines, columns, matrix); });
    if (error == 0) book.Save();
    return error;
  }
  fs::path file_ = fs::temp_directory_path() / ("tpl-report-" + std::to_string(getpid()) + ".xlsx");
};

TEST_F(ReportSheet, EachTypeCodeGivesItsFormatAndConversion) {
  Variant matrix = ResultMatrix({{"Qtde", "Nome", "Valor", "Data", "Livre", "Outro"},
                                 {Variant::Long(3), "Ana", "1234,5", " 13/10/2001 10:20 ", "1,25", "x"},
                                 {"12", "007", "", "não é data", Variant(), Variant()}},
                                {"I", "T", "V", "D", "", "X"});
  ASSERT_EQ(Write(matrix, "4", Variant::Long(7)), 0);
  // Converted in place: decimals to Doubles (blank gives 0), dates to Dates.
  EXPECT_EQ(testing::ShowRows(matrix.AsArray()),
            "Qtde|Nome|Valor|Data|Livre|Outro|<empty>|<empty>;"
            "3|Ana|1234,5|13/10/2001 10:20:00|1,25|x|DET|;"
            "12|007|0|não é data|<empty>|<empty>|DET|;"
            "I|T|V|D||X|<empty>|<empty>;"
            "<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>");
  EXPECT_EQ(matrix.AsArray().at(1, 2).type(), VarType::Double);
  EXPECT_EQ(matrix.AsArray().at(1, 3).type(), VarType::Date);

  testing::SavedSheet sheet(file_);
  const std::pair<std::string, std::string> cells[] = {
      {"A1", "s Vendas | "}, {"A2", "s Outubro | "}, {"F3", "s Outro | "},
      {"A4", "n 3 | 0"}, {"A5", "n 12 | 0"},
      {"B4", "s Ana | @"}, {"B5", "s 007 | @"},
      {"C4", "n 1234.5 | 0.00"}, {"C5", "n 0 | 0.00"},
      {"D4", "n 37177.43055555555 | dd/mm/yyyy hh:mm"}, {"D5", "s não é data | dd/mm/yyyy hh:mm"},
      {"E4", "n 1.25 | 0.00"}, {"E5", "blank | 0.00"},  // no code: the sample's format
      {"F4", "s x | "}, {"F5", "none"},                 // another code: no format
      {"G4", "none"},                                   // the "DET" column is not shown
      {"A6", "blank | 0"}, {"D7", "blank | dd/mm/yyyy hh:mm"}, {"A8", "none"},
  };
  for (const auto& [reference, stored] : cells) EXPECT_EQ(sheet.Cell(reference), stored) << reference;
  EXPECT_NE(sheet.xml().find("<mergeCell ref=\"A1:F1\"/><mergeCell ref=\"A2:F2\"/>"), std::string::npos);
  EXPECT_NE(testing::ZipParts(file_).at("xl/tables/table1.xml").find("name=\"Dinamico\" displayName=\"Dinamico\" ref=\"A3:F5\""),
            std::string::npos);
}

TEST_F(ReportSheet, WhatCannotBeLaidOutFailsWithTheSpreadsheetsError) {
  auto matrix = [] { return ResultMatrix({{"Valor"}, {"1,5"}}, {"V"}); };
  struct Case {
    const char* what;
    Variant matrix, lines, columns;
    int32_t error;
  };
  const Case cases[] = {
      {"one data row", matrix(), "3", "2", 0},
      {"no column to show", matrix(), "3", "1", workbook::kSpreadsheetError},
      {"more rows than a sheet", matrix(), Variant::Long(workbook::kMaxRows - 2), "2", workbook::kSpreadsheetError},
      {"no header row left", matrix(), "1", "2", workbook::kSpreadsheetError},
      {"fewer rows than counted", matrix(), "9", "2", error::kSubscriptOutOfRange},
      {"a decimal that is no number", ResultMatrix({{"Valor"}, {"abc"}}, {"V"}), "3", "2", error::kTypeMismatch},
      {"no matrix", Variant("x"), "3", "2", error::kTypeMismatch},
      {"a count that is no number", matrix(), "três", "2", error::kTypeMismatch},
  };
  for (const Case& c : cases) {
    Variant copy = c.matrix;
    EXPECT_EQ(Write(copy, c.lines, c.columns), c.error) << c.what;
  }
}

}  // namespace
}  // namespace tpl

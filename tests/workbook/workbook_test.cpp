// How values, merges, tables and widths look once saved is read back by an independent reader in
// tests/output/workbook_readback.py; here, what fails, what is left on disk, and the locale.
#include "workbook/workbook.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "values/error_number.h"
#include "support/suite.h"
#include "support/temp_folder.h"
#include "support/zip_parts.h"

namespace tpl::workbook {
namespace {

using platform_test::ErrorNumber;
namespace fs = std::filesystem;

class WorkbookFile : public ::testing::Test {
 protected:
  // What the folder holds, names joined by ' '.
  std::string Listing() const {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder_)) names += entry.path().filename().string() + " ";
    return names;
  }
  tpl::testing::TempFolder temp_{"tpl-workbook-"};
  const fs::path& folder_ = temp_.path();
  fs::path file_ = folder_ / "pasta.xlsx";
};

TEST_F(WorkbookFile, WhatTheSheetCannotHoldFailsAndLeavesNoFile) {
  std::ofstream(file_) << "antiga";
  {
    Workbook book(file_);
    Worksheet sheet = book.AddWorksheet("Dados");
    Style plain;
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(kMaxRows + 1, 1, Variant(1), plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(1, kMaxColumns + 1, Variant(1), plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.AddTable("T", 3, 1, 2, {"a"}, plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(1, 1, Variant(std::nan("")), plain); }), error::kOverflow);
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(1, 1, testing::Vector({1}), plain); }), error::kTypeMismatch);
    EXPECT_EQ(ErrorNumber([&] { book.AddWorksheet("Dados"); }), kSpreadsheetError);
  }  // never saved: the old file stays as it was, and nothing else is left
  EXPECT_EQ(Listing(), "pasta.xlsx ");
  EXPECT_EQ(fs::file_size(file_), 6u);
  EXPECT_EQ(ErrorNumber([&] { Workbook book(folder_ / "falta" / "x.xlsx"); }), kSpreadsheetError);

  Workbook replacing(file_);
  replacing.AddWorksheet("Nova");
  replacing.Save();
  EXPECT_EQ(Listing(), "pasta.xlsx ");
  EXPECT_NE(testing::ZipParts(file_).at("xl/workbook.xml").find("name=\"Nova\""), std::string::npos);
  EXPECT_EQ(ErrorNumber([&] { replacing.Save(); }), kSpreadsheetError);
}

TEST(TableCaptions, EmptyAndRepeatedCaptionsBecomeUnique) {
  using Captions = std::vector<std::string>;
  const std::string long_accented = std::string(250, 'x') + "çãoéíú";  // 256 characters, 262 bytes
  const struct { Captions in, out; } rows[] = {
      // First come, first served: a later caption takes the next free number.
      {{"Nome", "", "nome", "Nome2", "NOME", ""}, {"Nome", "Coluna2", "nome2", "Nome22", "NOME3", "Coluna6"}},
      {{"Ação", "AÇÃO", "Coluna2", ""}, {"Ação", "AÇÃO2", "Coluna2", "Coluna4"}},
      // What no column name may hold: line breaks and tabs become blanks, other control characters go, and a name
      // keeps 255 characters (counted as characters), its number included.
      {{"Valor\tTotal", "a\r\nb", "\x01", "x\x1f\x7fy"}, {"Valor Total", "a  b", "Coluna3", "x\x7fy"}},
      {{"\xef\xbf\xbe" "a\xef\xbf\xbf"}, {"a"}},
      {{long_accented}, {std::string(250, 'x') + "çãoéí"}},
      {{std::string(300, 'y'), std::string(300, 'Y'), std::string(255, 'y')},
       {std::string(255, 'y'), std::string(254, 'Y') + "2", std::string(254, 'y') + "3"}},
  };
  for (const auto& row : rows) EXPECT_EQ(UniqueCaptions(row.in), row.out) << row.in.at(0);
}

// A host that set a locale with a decimal comma must not get "1234,5" into the file.
TEST_F(WorkbookFile, NumbersKeepTheirPointWhateverTheHostsLocale) {
  const fs::path locales = folder_ / "locales";
  fs::create_directories(locales);
  const std::string build = "localedef -i pt_BR -f UTF-8 " + (locales / "pt_BR.UTF-8").string() + " 2>/dev/null";
  if (std::system(build.c_str()) != 0) GTEST_SKIP() << "localedef cannot build pt_BR here";
  setenv("LOCPATH", locales.c_str(), 1);
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"), nullptr);
  {
    Workbook book(file_);
    Worksheet sheet = book.AddWorksheet("Dados");
    sheet.Write(1, 1, Variant(1234.5));
    sheet.FitColumns();
    book.Save();
  }
  std::setlocale(LC_NUMERIC, previous.c_str());
  unsetenv("LOCPATH");
  const std::string xml = testing::ZipParts(file_).at("xl/worksheets/sheet1.xml");
  EXPECT_NE(xml.find("<v>1234.5</v>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("width=\"6.5703125\""), std::string::npos) << xml;
}

}  // namespace
}  // namespace tpl::workbook

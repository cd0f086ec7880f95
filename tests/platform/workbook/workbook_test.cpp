#include "platform/workbook/workbook.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/error_number.h"
#include "support/suite.h"
#include "support/workbook_reader.h"

namespace tpl::workbook {
namespace {

using platform_test::ErrorNumber;
namespace fs = std::filesystem;

class WorkbookFile : public ::testing::Test {
 protected:
  WorkbookFile() : folder_(fs::temp_directory_path() / ("tpl-workbook-" + std::to_string(getpid()))) {
    fs::create_directories(folder_);
  }
  ~WorkbookFile() override { fs::remove_all(folder_); }
  // What the folder holds, names joined by ' '.
  std::string Listing() const {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder_)) names += entry.path().filename().string() + " ";
    return names;
  }
  fs::path folder_;
  fs::path file_ = folder_ / "pasta.xlsx";
};

TEST_F(WorkbookFile, StoresEachValueAsTheSpreadsheetDoes) {
  struct Case {
    Variant value;
    std::string number_format, stored;
  };
  const Case cases[] = {
      {Variant::Long(42), "", "n 42 | "},
      {Variant(1234.5), "0.00", "n 1234.5 | 0.00"},
      {Variant("12,5"), "0", "n 12.5 | 0"},              // a number text in a number format
      {Variant("12,5"), "@", "s 12,5 | @"},
      {Variant("007"), "", "s 007 | "},
      {Variant("Ação"), "", "s Ação | "},
      {Variant(""), "0.00", "blank | 0.00"},             // keeps the format
      {Variant::Null(), "", "blank | "},
      {Variant(true), "", "b 1 | "},
      {testing::MakeDate(2001, 10, 13), "", "n 37177 | dd/mm/yyyy"},
      {testing::MakeDate(2001, 10, 13, 10, 20), "", "n 37177.43055555555 | dd/mm/yyyy hh:mm"},
      {testing::MakeDate(2001, 10, 13), "dd/mm/yyyy hh:mm:ss", "n 37177 | dd/mm/yyyy hh:mm:ss"},
      // The spreadsheet's calendar keeps a 29/02/1900: one day lower before March.
      {testing::MakeDate(1900, 2, 28), "dd/mm/yyyy", "n 59 | dd/mm/yyyy"},
      {testing::MakeDate(1900, 3, 1), "dd/mm/yyyy", "n 61 | dd/mm/yyyy"},
      {testing::MakeDate(1899, 12, 30, 12), "", "n 0.5 | dd/mm/yyyy hh:mm"},  // a time alone
      {testing::MakeDate(1850, 1, 2), "", "s 02/01/1850 | "},  // no serial before 1900
  };
  {
    Workbook book(file_);
    Worksheet sheet = book.AddWorksheet("Dados");
    int32_t row = 1;
    for (const Case& c : cases) sheet.Write(row++, 2, c.value, book.AddStyle({.number_format = c.number_format}));
    book.Save();
  }
  testing::SavedSheet saved(file_);
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(saved.Cell("B" + std::to_string(i + 1)), cases[i].stored) << testing::Show(cases[i].value);
  EXPECT_EQ(Listing(), "pasta.xlsx ");
}

TEST_F(WorkbookFile, WhatTheSheetCannotHoldFailsAndLeavesNoFile) {
  fs::path target = folder_ / "existente.xlsx";
  std::FILE* old = std::fopen(target.c_str(), "w");
  std::fclose(old);
  {
    Workbook book(target);
    Worksheet sheet = book.AddWorksheet("Dados");
    Style plain;
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(kMaxRows + 1, 1, Variant(1), plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(1, kMaxColumns + 1, Variant(1), plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.CheckRange(4, 1, kMaxRows + 3, 1); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.MergeRow(1, 1, 0, "x", plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.AddTable("T", 3, 1, 2, {"a"}, plain); }), kSpreadsheetError);
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(1, 1, Variant(std::nan("")), plain); }), error::kOverflow);
    EXPECT_EQ(ErrorNumber([&] { sheet.Write(1, 1, testing::Vector({1}), plain); }), error::kTypeMismatch);
    EXPECT_EQ(ErrorNumber([&] { book.AddWorksheet("Dados"); }), kSpreadsheetError);
  }  // never saved
  EXPECT_EQ(Listing(), "existente.xlsx ");
  EXPECT_EQ(fs::file_size(target), 0u);

  EXPECT_EQ(ErrorNumber([&] { Workbook book(folder_ / "falta" / "x.xlsx"); }), kSpreadsheetError);
  Workbook replacing(target);  // an existing file is replaced on save, and only then
  replacing.AddWorksheet("Nova");
  replacing.Save();
  EXPECT_EQ(Listing(), "existente.xlsx ");
  EXPECT_NE(testing::ZipParts(target).at("xl/workbook.xml").find("name=\"Nova\""), std::string::npos);
}

TEST(TableCaptions, EmptyAndRepeatedCaptionsBecomeUnique) {
  using Captions = std::vector<std::string>;
  // First come, first served: a later caption takes the next free number.
  EXPECT_EQ(UniqueCaptions({"Nome", "", "nome", "Nome2", "NOME", ""}),
            (Captions{"Nome", "Coluna2", "nome2", "Nome22", "NOME3", "Coluna6"}));
  EXPECT_EQ(UniqueCaptions({"Ação", "AÇÃO", "Coluna2", ""}),
            (Captions{"Ação", "AÇÃO2", "Coluna2", "Coluna4"}));
  EXPECT_EQ(UniqueCaptions({"Coluna2", ""}), (Captions{"Coluna2", "Coluna22"}));
}

TEST_F(WorkbookFile, TablesMergesAndWidths) {
  {
    Workbook book(file_);
    Worksheet sheet = book.AddWorksheet("Dados");
    Style bold = book.AddStyle({.bold = true, .centred = true, .number_format = ""});
    sheet.MergeRow(1, 3, 1, "Título muito mais largo que as colunas", bold);
    sheet.MergeRow(2, 1, 1, "Só", bold);  // one cell: written, not merged
    sheet.WriteText(4, 1, "ÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇ");
    sheet.WriteText(4, 2, "CCCCCCCCCCCCCCCCCCCC");
    sheet.WriteText(4, 3, std::string(40000, 'x'));
    sheet.AddTable("Dinamico", 3, 1, 3, {"A", "A", ""}, bold);
    sheet.FitColumns();
    sheet.Select(3, 1);
    book.Save();
  }
  testing::SavedSheet saved(file_);
  EXPECT_NE(saved.xml().find("<mergeCells count=\"1\"><mergeCell ref=\"A1:C1\"/>"), std::string::npos);
  EXPECT_EQ(saved.Cell("A2"), "s Só | ");
  EXPECT_EQ(saved.Cell("B3"), "s A2 | ");
  EXPECT_EQ(saved.Cell("C4").size(), 32767u + 5);  // "s " + the cut text + " | "
  // Accented letters are as wide as their base letter; the widest column is capped.
  EXPECT_NE(saved.xml().find("<cols><col min=\"1\" max=\"1\" width=\"23.85546875\" customWidth=\"1\"/>"
                             "<col min=\"2\" max=\"2\" width=\"23.85546875\" customWidth=\"1\"/>"
                             "<col min=\"3\" max=\"3\" width=\"255.7109375\""),
            std::string::npos) << saved.xml();
  EXPECT_NE(saved.xml().find("<selection activeCell=\"A3\""), std::string::npos);
  const std::string table = testing::ZipParts(file_).at("xl/tables/table1.xml");
  EXPECT_NE(table.find("ref=\"A3:C4\""), std::string::npos) << "a header alone gets one data row";
  EXPECT_NE(table.find("name=\"A\"/><tableColumn id=\"2\" name=\"A2\"/><tableColumn id=\"3\" name=\"Coluna3\""),
            std::string::npos);
}

// A host that sets a locale with a decimal comma must not get "1234,5"
// into the file.
TEST_F(WorkbookFile, NumbersKeepTheirPointWhateverTheHostsLocale) {
  const fs::path locales = folder_ / "locales";
  const std::string build = "localedef -i pt_BR -f UTF-8 " + (locales / "pt_BR.UTF-8").string() + " 2>/dev/null";
  fs::create_directories(locales);
  if (std::system(build.c_str()) != 0) GTEST_SKIP() << "localedef cannot build pt_BR here";
  setenv("LOCPATH", locales.c_str(), 1);
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"), nullptr);
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ(text, "1,5") << "the locale is in force";
  {
    Workbook book(file_);
    Worksheet sheet = book.AddWorksheet("Dados");
    sheet.Write(1, 1, Variant(1234.5));
    sheet.FitColumns();
    book.Save();
  }
  std::setlocale(LC_NUMERIC, previous.c_str());
  unsetenv("LOCPATH");
  testing::SavedSheet saved(file_);
  EXPECT_EQ(saved.Cell("A1"), "n 1234.5 | ");
  EXPECT_NE(saved.xml().find("width=\"6."), std::string::npos) << saved.xml();
}

}  // namespace
}  // namespace tpl::workbook

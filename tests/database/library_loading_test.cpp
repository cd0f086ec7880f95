// The outside libraries opened when first needed: one that is missing or lacks a function fails with a sentence that
// says which library and why. (The installed ones open: every test that reaches ODBC or writes a workbook.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "database/odbc/odbc_library.h"
#include "workbook/xlsxwriter_library.h"

namespace tpl {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(LibraryLoading, NamesTheLibraryThatIsMissingOrLacksAFunction) {
  const struct { const char* name; std::function<std::string(const char*)> failure; const char* sentence; }
      libraries[] = {
      {"ODBC", db::odbc::DriverManagerFailureForTesting, "Não foi possível carregar o gerenciador de drivers ODBC ("},
      {"xlsxwriter", workbook::XlsxwriterFailureForTesting, "Não foi possível carregar a biblioteca de planilhas ("},
  };
  for (const auto& library : libraries) {
    EXPECT_THAT(library.failure("libtpl_nao_existe.so.9"),
                AllOf(StartsWith(library.sentence), HasSubstr("libtpl_nao_existe.so.9")))
        << library.name;
    // A library that opens but is not the one wanted.
    EXPECT_THAT(library.failure("libsqlite3.so.0"),
                AllOf(StartsWith(library.sentence), HasSubstr("libsqlite3.so.0 não tem a função ")))
        << library.name;
  }
}

}  // namespace
}  // namespace tpl

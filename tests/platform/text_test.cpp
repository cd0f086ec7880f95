// Text routines on UTF-8: lengths and cuts count characters.
#include <gtest/gtest.h>

#include "error_number.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

TEST(TextTest, LenCountsCharacters) {
  const struct {
    std::string_view text;
    size_t length;
  } rows[] = {
      {"Título", 6}, {"", 0}, {"ação", 4}, {"abc", 3}, {"日本", 2}, {"😀x", 2},
      {"\xff\xfe", 2},          // two invalid bytes, one character each
      {"a\xc3", 2},             // truncated sequence at the end
      {"\xc3\x28", 2},          // invalid continuation
      {"\xed\xa0\x80", 3},      // encoded surrogate: three invalid bytes
  };
  for (const auto& row : rows) EXPECT_EQ(Len(row.text), row.length) << row.text;
}

TEST(TextTest, MidLeftRight) {
  EXPECT_EQ(Mid("Título", 2, 3), "ítu");
  EXPECT_EQ(Mid("Título", 2), "ítulo");
  EXPECT_EQ(Mid("Título", 6, 10), "o");
  EXPECT_EQ(Mid("Título", 7), "");
  EXPECT_EQ(Mid("Título", 20, 2), "");
  EXPECT_EQ(Mid("Título", 1, 0), "");
  EXPECT_EQ(Mid("13/10/2001", 4, 2), "10");
  EXPECT_EQ(ErrorNumber([] { Mid("abc", 0, 1); }), 5);
  EXPECT_EQ(Left("Título", 2), "Tí");
  EXPECT_EQ(Left("Título", 0), "");
  EXPECT_EQ(Left("Título", 99), "Título");
  EXPECT_EQ(Right("Título", 4), "tulo");
  EXPECT_EQ(Right("ação", 3), "ção");
  EXPECT_EQ(Right("ação", 9), "ação");
  EXPECT_EQ(Right("ação", 0), "");
  EXPECT_EQ(Left("\xff" "a", 1), "\xff");
  EXPECT_EQ(Right("a\xff", 1), "\xff");
}

TEST(TextTest, TrimRemovesSpacesOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(LTrim("  a  "), "a  ");
  EXPECT_EQ(RTrim("  a  "), "  a");
}

TEST(TextTest, CaseOfAccentedLetters) {
  EXPECT_EQ(UCase("ação"), "AÇÃO");
  EXPECT_EQ(UCase("Título é"), "TÍTULO É");
  EXPECT_EQ(UCase("abc123-_"), "ABC123-_");
  EXPECT_EQ(LCase("AÇÃO"), "ação");
  EXPECT_EQ(UCase("\xff" "a"), "\xff" "A");
  EXPECT_EQ(UCase("ß"), "ß");  // no single-letter upper case
}

TEST(TextTest, InStr) {
  const struct {
    std::string_view text, needle;
    size_t start, position;
  } rows[] = {
      {"Título", "u", 1, 4}, {"Título", "í", 1, 2}, {"ação ação", "ção", 1, 2},
      {"ação ação", "ção", 3, 7}, {"abc", "d", 1, 0}, {"abc", "", 2, 2},
      {"", "a", 1, 0},      {"abc", "a", 4, 0},     {"abc", "C", 1, 0},
      {"aXa", "a", 2, 3},   {"é", "\xa9", 1, 0},    // never a match inside a character
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InStr(row.text, row.needle, row.start), row.position)
        << row.text << " / " << row.needle << " from " << row.start;
  }
  EXPECT_EQ(ErrorNumber([] { InStr("abc", "a", 0); }), 5);
}

TEST(TextTest, Replace) {
  EXPECT_EQ(Replace("a,b,,c", ",", "."), "a.b..c");
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Replace("ação", "ç", "c"), "acão");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("abc", "B", "x"), "abc");
  EXPECT_EQ(Replace("{DATA_INI} e {DATA_INI}", "{DATA_INI}", "'2001/10/13'"),
            "'2001/10/13' e '2001/10/13'");
  EXPECT_EQ(Replace("é", "\xa9", "x"), "é");
}

}  // namespace
}  // namespace tpl

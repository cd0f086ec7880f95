// Text routines on UTF-8: lengths and cuts count characters.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "error_number.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

// Each pair holds what a call gave and what it should give.
void ExpectPairs(std::initializer_list<std::pair<std::string, std::string>> pairs) {
  size_t row = 0;
  for (const auto& [got, want] : pairs) EXPECT_EQ(got, want) << "row " << row++;
}

TEST(TextTest, LenCountsCharacters) {
  const struct { std::string_view text; size_t length; } rows[] = {
      {"Título", 6}, {"", 0}, {"日本", 2}, {"😀x", 2},
      {"\xff\xfe", 2},      // two invalid bytes, one character each
      {"a\xc3", 2},         // truncated sequence at the end
      {"\xc3\x28", 2},      // invalid continuation
      {"\xed\xa0\x80", 3},  // encoded surrogate: three invalid bytes
  };
  for (const auto& row : rows) EXPECT_EQ(Len(row.text), row.length) << row.text;
}

TEST(TextTest, MidLeftRight) {
  ExpectPairs({{Mid("Título", 2, 3), "ítu"}, {Mid("Título", 2), "ítulo"}, {Mid("Título", 6, 10), "o"},
               {Mid("Título", 7), ""}, {Mid("Título", 1, 0), ""}, {Left("Título", 2), "Tí"},
               {Left("Título", 99), "Título"}, {Right("ação", 3), "ção"}, {Right("ação", 9), "ação"},
               {Right("ação", 0), ""}, {Left("\xff" "a", 1), "\xff"}, {Right("a\xff", 1), "\xff"}});
  EXPECT_EQ(ErrorNumber([] { Mid("abc", 0, 1); }), 5);
}

// Trim removes spaces only; case changes reach accented letters.
TEST(TextTest, TrimAndCase) {
  ExpectPairs({{Trim("  a b  "), "a b"}, {Trim("\ta\t"), "\ta\t"}, {Trim("   "), ""}, {LTrim("  a  "), "a  "},
               {RTrim("  a  "), "  a"}, {UCase("Título é-1"), "TÍTULO É-1"}, {LCase("AÇÃO"), "ação"},
               {UCase("\xff" "a"), "\xff" "A"}, {UCase("ß"), "ß"}});  // ß has no single-letter upper case
}

TEST(TextTest, InStr) {
  const struct { std::string_view text, needle; size_t start, position; } rows[] = {
      {"ação ação", "ção", 3, 7}, {"abc", "", 2, 2}, {"abc", "a", 4, 0}, {"abc", "C", 1, 0},
      {"é", "\xa9", 1, 0},  // never a match inside a character
      {"é\xa9", "\xa9", 1, 2}, {"ééé\xa9", "\xa9", 2, 4},  // but a stray byte of its own is one
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InStr(row.text, row.needle, row.start), row.position)
        << row.text << " / " << row.needle << " from " << row.start;
  }
  EXPECT_EQ(ErrorNumber([] { InStr("abc", "a", 0); }), 5);
}

TEST(TextTest, Replace) {
  ExpectPairs({{Replace("a,b,,c", ",", "."), "a.b..c"}, {Replace("aaa", "aa", "b"), "ba"},
               {Replace("abc", "", "x"), "abc"}, {Replace("abc", "B", "x"), "abc"}, {Replace("é", "\xa9", "x"), "é"},
               {Replace("é\xa9é", "\xa9", "x"), "éxé"}});
}

}  // namespace
}  // namespace tpl

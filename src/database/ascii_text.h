// SQL names, keywords, type names and connection-string keys are ASCII:
// these helpers trim and compare them without case, and leave the bytes
// of any other character exactly as they are.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace tpl::db {

constexpr bool IsAsciiSpace(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

constexpr bool IsAsciiDigit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr std::string_view TrimAsciiSpace(std::string_view text) noexcept {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
  return text;
}

constexpr char ToUpperAscii(char c) noexcept { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ToUpperAscii(x) == ToUpperAscii(y); });
}

inline std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = ToUpperAscii(c);
  return upper;
}

}  // namespace tpl::db

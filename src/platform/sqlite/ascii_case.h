// Case-insensitive handling of SQL names and keywords, which are ASCII:
// bytes of other characters are compared exactly.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace tpl::db::sqlite {

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

// A parameter name without the marker that may precede it: "@pID", ":pID"
// and "pID" all name pID.
constexpr std::string_view WithoutParameterMarker(std::string_view name) noexcept {
  if (!name.empty() && (name.front() == '@' || name.front() == ':' || name.front() == '$')) {
    name.remove_prefix(1);
  }
  return name;
}

}  // namespace tpl::db::sqlite

// A column's type as its table declares it, "numeric ( 12 , 2 )", read the
// same way by both providers: the SQLite one types every column from it,
// the ODBC one where a driver reports a generic type instead.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tpl::db {

// The type name without its size, trimmed and in upper case: "NUMERIC".
std::string DeclaredTypeName(std::string_view declaration);

// The scale s of "(p,s)"; 0 for "(p)"; nothing when the text carries no
// parenthesised size or the scale is no whole number from 0 up.
std::optional<int32_t> DeclaredScale(std::string_view declaration);

inline bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

}  // namespace tpl::db

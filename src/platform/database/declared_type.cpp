#include "platform/database/declared_type.h"

#include <charconv>

namespace tpl::db {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::string DeclaredTypeName(std::string_view declaration) {
  std::string name(Trimmed(declaration.substr(0, declaration.find('('))));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

std::optional<int32_t> DeclaredScale(std::string_view declaration) {
  const size_t open = declaration.find('(');
  const size_t close = declaration.find(')', open);
  if (open == std::string_view::npos || close == std::string_view::npos) return std::nullopt;
  const std::string_view arguments = declaration.substr(open + 1, close - open - 1);
  const size_t comma = arguments.find(',');
  if (comma == std::string_view::npos) return 0;
  const std::string_view scale = Trimmed(arguments.substr(comma + 1));
  int32_t value = 0;
  const auto [end, error] = std::from_chars(scale.data(), scale.data() + scale.size(), value);
  if (error != std::errc() || end != scale.data() + scale.size() || value < 0) return std::nullopt;
  return value;
}

}  // namespace tpl::db

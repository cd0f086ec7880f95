#include "database/declared_type.h"

#include <charconv>

#include "database/ascii_text.h"

namespace tpl::db {

std::string DeclaredTypeName(std::string_view declaration) {
  return ToUpperAscii(TrimAsciiSpace(declaration.substr(0, declaration.find('('))));
}

std::optional<int32_t> DeclaredScale(std::string_view declaration) {
  const size_t open = declaration.find('(');
  const size_t close = declaration.find(')', open);
  if (open == std::string_view::npos || close == std::string_view::npos) return std::nullopt;
  const std::string_view arguments = declaration.substr(open + 1, close - open - 1);
  const size_t comma = arguments.find(',');
  if (comma == std::string_view::npos) return 0;
  const std::string_view scale = TrimAsciiSpace(arguments.substr(comma + 1));
  int32_t value = 0;
  const auto [end, error] = std::from_chars(scale.data(), scale.data() + scale.size(), value);
  if (error != std::errc() || end != scale.data() + scale.size() || value < 0) return std::nullopt;
  return value;
}

}  // namespace tpl::db

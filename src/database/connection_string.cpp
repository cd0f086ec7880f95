#include "database/connection_string.h"

#include "database/ascii_text.h"

namespace tpl::db {
std::optional<std::string> ConnectionStringValue(std::string_view text, std::string_view key) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t equals = text.find('=', pos);
    if (equals == std::string_view::npos) break;
    std::string_view name = TrimAsciiSpace(text.substr(pos, equals - pos));
    size_t value_start = equals + 1;
    while (value_start < text.size() && text[value_start] == ' ') ++value_start;

    std::string value;
    size_t next;
    char open = value_start < text.size() ? text[value_start] : '\0';
    if (open == '{' || open == '"') {
      // A quoted value may hold ";" and "="; it ends at the matching close.
      char close = open == '{' ? '}' : '"';
      size_t end = text.find(close, value_start + 1);
      if (end == std::string_view::npos) end = text.size();
      value = std::string(text.substr(value_start + 1, end - value_start - 1));
      next = text.find(';', end);
    } else {
      next = text.find(';', value_start);
      value = std::string(TrimAsciiSpace(text.substr(value_start, next == std::string_view::npos
                                                                   ? std::string_view::npos
                                                                   : next - value_start)));
    }
    if (EqualsIgnoringCase(name, key)) return value;
    if (next == std::string_view::npos) break;
    pos = next + 1;
  }
  return std::nullopt;
}

}  // namespace tpl::db

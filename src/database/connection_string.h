// Reading of connection strings: "Key=Value;Key=Value", keys without case,
// values possibly quoted with braces or double quotes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tpl::db {

// The value of a key, trimmed of blanks; nullopt when the key is absent.
std::optional<std::string> ConnectionStringValue(std::string_view connection_string,
                                                 std::string_view key);

}  // namespace tpl::db

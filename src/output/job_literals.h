// Literals of job values in the two dialects. Text values are embedded
// between apostrophes; every apostrophe inside a value is doubled first, so
// that a value can neither end its literal early nor alter the statement,
// and the database stores it exactly as given (in upper case on Oracle).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tpl {

std::string WithDoubledApostrophes(std::string_view value);

// SQL Server: 57 or null; 'text' or null; 'yyyy/mm/dd hh:mm' or null.
std::string ServerNumber(int32_t value);
std::string ServerText(const std::string& value);
std::string ServerDate(const std::string& value);

// Oracle, each with its leading blanks: "  57" or " null"; "  'TEXT'" or
// " NULL"; "  to_date(...)" or " null".
std::string OracleNumber(int32_t value);
std::string OracleText(const std::string& value);
std::string OracleDate(const std::string& value);

}  // namespace tpl

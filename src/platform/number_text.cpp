// Numbers written as text under the regional settings.
#include "platform/number_text.h"

#include <charconv>
#include <cmath>

#include "platform/regional_settings.h"

namespace tpl::detail {

std::string DoubleText(double value) {
  if (value == 0) return "0";  // also -0
  if (std::isnan(value)) return std::string("-1") + regional::kDecimalSeparator + "#IND";
  if (std::isinf(value)) {
    return std::string(value < 0 ? "-1" : "1") + regional::kDecimalSeparator + "#INF";
  }
  char buffer[40];
  // Fifteen significant digits in "general" form is exactly the platform's
  // choice between plain and scientific notation.
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::general, 15);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  for (char& c : text) {
    if (c == '.') c = regional::kDecimalSeparator;
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace tpl::detail

#include <string>

#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// The platform's decimal separator, found the way the platform reveals it:
// by the text of one half.
std::string_view DecimalSeparator() {
  static const std::string separator = InStr(CStr(Variant(0.5)), ".") > 0 ? "." : ",";
  return separator;
}

size_t CountOccurrences(std::string_view text, std::string_view what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

}  // namespace

Variant mNormaliza_Numero(const Variant& value) {
  try {
    // A number's own text holds only the platform's separator, never the
    // foreign one, so a number always comes back unchanged.
    if (value.IsNumber()) return value;
    std::string_view own = DecimalSeparator();
    std::string_view foreign = own == "." ? "," : ".";
    if (value.IsNull() || value.IsEmpty() || TextEquals(value, "")) return Variant::Integer(0);
    std::string text = CStr(value);
    if (CountOccurrences(text, foreign) != 1) return value;
    return Variant(Replace(text, foreign, own));
  } catch (...) {
    return Variant::Integer(0);
  }
}

}  // namespace tpl

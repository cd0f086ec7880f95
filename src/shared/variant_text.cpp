#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {

std::string TextOrEmpty(const Variant& value) {
  if (value.IsNull()) return {};
  return CStr(value);
}

std::string TrimmedText(const Variant& value) { return Trim(TextOrEmpty(value)); }

bool TextEquals(const Variant& value, std::string_view text) {
  if (value.IsNull()) return false;
  std::string own;
  return TryToText(value, own) && own == text;
}

bool NumberEquals(const Variant& value, double number) {
  if (value.IsNull() || value.IsEmpty()) return false;
  double own;
  return TryToDouble(value, own) && own == number;
}

}  // namespace tpl

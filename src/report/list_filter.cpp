#include "report/list_filter.h"

#include <string>

#include "shared/value_helpers.h"
#include "tpl/text.h"

namespace tpl {

bool IsListFilter(const Variant& placeholder) {
  std::string text = TrimmedText(placeholder);
  size_t length = Len(text);
  // Placeholders are always written between braces; a shorter one has no
  // second-to-last character to look at.
  if (length < 2) return false;
  return Mid(text, 2, 1) == "@" && Mid(text, length - 1, 1) == "@";
}

}  // namespace tpl

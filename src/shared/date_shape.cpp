#include <string>

#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

double NumberAt(const std::string& text, size_t start, size_t length) {
  return Val(Mid(text, start, length));
}

bool IsDateSeparator(const std::string& text, size_t position) {
  std::string c = Mid(text, position, 1);
  return c == "/" || c == "-";
}

bool DayFirst(const std::string& t) {
  return NumberAt(t, 1, 2) <= 31 && NumberAt(t, 4, 2) <= 12 && NumberAt(t, 7, 4) >= 1900 &&
         IsDateSeparator(t, 3) && IsDateSeparator(t, 6);
}

bool MonthFirst(const std::string& t) {
  return NumberAt(t, 1, 2) <= 12 && NumberAt(t, 4, 2) <= 31 && NumberAt(t, 7, 4) >= 1900 &&
         IsDateSeparator(t, 3) && IsDateSeparator(t, 6);
}

bool YearFirst(const std::string& t) {
  return NumberAt(t, 1, 4) >= 1900 && NumberAt(t, 6, 2) <= 12 && NumberAt(t, 9, 2) <= 31 &&
         IsDateSeparator(t, 5) && IsDateSeparator(t, 8);
}

}  // namespace

bool mConsiste_Formato_Data(Variant& value) {
  try {
    if (Trim(CStr(mTrata_Nulo(value))).empty()) return false;
    value = Variant(mRetira_Caracteres(CStr(value)));
    const std::string& text = value.AsString();
    if (!IsDate(value) || Len(text) < 10) return false;
    return DayFirst(text) || MonthFirst(text) || YearFirst(text);
  } catch (...) {
    return false;
  }
}

}  // namespace tpl

#include "shared/value_helpers.h"

#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl {

Variant mTrata_Nulo(const Variant& value) {
  if (value.IsNull()) return Variant("");
  return value;
}

Variant mTrata_Numero_SQL(const Variant& value) {
  if (Val(CStr(value)) == 0) return Variant("null");
  return value;
}

Variant mTrata_Texto_SQL(const Variant& value) {
  std::string text = TextOrEmpty(value);
  if (text.empty()) return Variant("null");
  return Variant("'" + text + "'");
}

Variant mTrata_Data_SQL(const Variant& value) {
  if (TextOrEmpty(value).empty()) return Variant("null");
  return Variant("'" + FormatDate(value, "yyyy/mm/dd hh:mm") + "'");
}

bool mTroca_Virgula(const std::string& in, std::string& out) {
  out = Replace(in, ",", ".");
  return true;
}

Variant gMonta_Data_Oracle(const Variant& value) {
  if (TextOrEmpty(value).empty()) return Variant(" null");
  return Variant("  to_date('" + FormatDate(value, "yyyy/mm/dd hh:mm:ss") +
                 "', 'yyyy/mm/dd hh24:mi:ss')");
}

Variant gMonta_Numero_Oracle(const Variant& value) {
  if (Val(CStr(value)) == 0) return Variant(" null");
  return Variant("  " + CStr(value));
}

Variant gMonta_Texto_Oracle(const Variant& value) {
  std::string text = TextOrEmpty(value);
  if (text.empty()) return Variant(" NULL");
  return Variant(UCase("  '" + text + "'"));
}

}  // namespace tpl

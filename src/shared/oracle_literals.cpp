#include "shared/oracle_literals.h"

#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl {

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

// SQL literals in Oracle's dialect. Each result starts with blanks that are
// part of the statement texts built from it: two before a value, one before
// null.
#pragma once

#include "tpl/variant.h"

namespace tpl {

// "  to_date('yyyy/mm/dd hh:mm:ss', 'yyyy/mm/dd hh24:mi:ss')", or " null"
// for Null and the empty text.
Variant gMonta_Data_Oracle(const Variant& value);
// "  " + value, or " null" when the value's leading-number reading is 0.
Variant gMonta_Numero_Oracle(const Variant& value);
// "  '" + value + "'" in upper case, or " NULL" for the empty text.
Variant gMonta_Texto_Oracle(const Variant& value);

}  // namespace tpl

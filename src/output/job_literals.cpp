#include "output/job_literals.h"

#include "shared/oracle_literals.h"
#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {

std::string WithDoubledApostrophes(std::string_view value) { return Replace(value, "'", "''"); }

std::string ServerNumber(int32_t value) { return CStr(mTrata_Numero_SQL(Variant::Long(value))); }

std::string ServerText(const std::string& value) {
  return CStr(mTrata_Texto_SQL(Variant(WithDoubledApostrophes(value))));
}

std::string ServerDate(const std::string& value) { return CStr(mTrata_Data_SQL(Variant(value))); }

std::string OracleNumber(int32_t value) {
  return CStr(gMonta_Numero_Oracle(Variant::Long(value)));
}

std::string OracleText(const std::string& value) {
  return CStr(gMonta_Texto_Oracle(Variant(WithDoubledApostrophes(value))));
}

std::string OracleDate(const std::string& value) {
  return CStr(gMonta_Data_Oracle(Variant(value)));
}

}  // namespace tpl

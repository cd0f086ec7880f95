#include "conventions/system_parameters.h"

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "database/recordset.h"
#include "tpl/conversions.h"

namespace tpl {
std::string SystemParameterQuery(const Variant& database_kind, const Variant& parameter_id) {
  // The kind is compared exactly: "oracle" in lower case takes the SQL
  // Server form.
  Variant literal = IsDatabaseKind(database_kind, DatabaseKind::Oracle, KindComparison::Exact) ? gMonta_Numero_Oracle(parameter_id)
                                                         : mTrata_Numero_SQL(parameter_id);
  return std::string(" Select Parametro ") + " From Tab_Parametro_Sistema " +
         " WHERE Tab_Parametro_Sistema_ID =  " + CStr(literal) + " ";
}

bool mBusca_Tab_Parametro_Sistema(const CallContext& call, const SystemParameter& parameter,
                                  Variant& value) {
  std::string sql;
  return RunRoutine(traps::kParametroSistemaTrap, sql, call, [&] {
    sql = SystemParameterQuery(call.database_kind(), Variant::Long(parameter.id));
    db::Recordset recordset;
    recordset.Open(sql, CStr(call.connection_string()), call.limits());
    if (recordset.IsOpen() && !recordset.Eof()) {
      value = Variant(CStr(mTrata_Nulo(recordset.Value("PARAMETRO"))));
    }
    return true;
  });
}

}  // namespace tpl

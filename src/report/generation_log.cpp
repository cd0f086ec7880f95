#include "report/generation_log.h"

#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "platform/database/recordset.h"
#include "tpl/conversions.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{
    "Acesso a geração do relatório não disponível. Favor tentar mais tarde (e-mail).",
    " - VRLARR.mGrava_Log_Template_Dinamico (", " No Nº ", " - "};

}  // namespace

std::string GenerationLogCommand(const Variant& user, const Variant& template_id, int32_t log_id) {
  return "EXEC SP_KMB_GRAVA_LOG_TEMPLATE_DINAMICO " + CStr(mTrata_Texto_SQL(user)) + ", " +
         CStr(mTrata_Numero_SQL(template_id)) + ", " +
         CStr(mTrata_Numero_SQL(Variant::Long(log_id)));
}

bool mGrava_Log_Template_Dinamico(const Variant& connection_string, const Variant& database_kind,
                                  const Variant& user, const Variant& template_id,
                                  Variant& message, int32_t& log_id) {
  std::string sql;
  return RunRoutine(kTrap, sql, database_kind, connection_string, user, message, [&] {
    sql = GenerationLogCommand(user, template_id, log_id);
    db::Recordset recordset;
    recordset.Open(sql, CStr(connection_string));
    if (recordset.IsOpen() && !recordset.Eof()) {
      log_id = CLng(mNormaliza_Numero(recordset.Value("Log_Template_Id")));
    }
    return true;
  });
}

}  // namespace tpl

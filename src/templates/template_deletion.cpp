// gExclui_Template and gExclui_Filtro_Template: deleting a template, or
// the filters of one.
#include "templates/template_deletion.h"

#include <string>

#include "database/connection.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "conventions/message_log.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "templates/template_procedures.h"
#include "templates/template_saving.h"
#include "tpl/conversions.h"

namespace tpl {

Variant gExclui_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                         Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                         Variant& invntTemplate_id) {
  return RunMethod(traps::kExcluiTemplateTrap, invntConecta_db, invntUsuario_Internet_id,
                   outvntMsg_Ret, [&] {
                     if (TrimmedText(invntTemplate_id).empty()) {
                       outvntMsg_Ret = Variant(sentences::kTemplateToDeleteMissing);
                       return false;
                     }
                     // The one procedure call is the whole deletion: no
                     // transaction of ours is needed around it.
                     return mExclui_Template(invntConecta_db, invntUsuario_Internet_id,
                                             outvntMsg_Ret, invntBanco_Dados, invntTemplate_id);
                   });
}

bool mExclui_Template(const Variant& connection_string, const Variant& user, Variant& message,
                      const Variant& database_kind, const Variant& template_id) {
  std::string sql = "SP_KMB_EXCLUI_TEMPLATE1";
  return RunRoutine(traps::kExcluiTemplateRoutineTrap, sql, database_kind, connection_string,
                    user, message, [&] {
                      db::Connection connection(CStr(connection_string));
                      ProcedureCall(connection, sql)
                          .Integer("pTEMPLATE_ID", template_id)
                          .Integer("pUSUARIO_ID", user)
                          .Run();
                      return true;
                    });
}

Variant gExclui_Filtro_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                                Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                                Variant& invntTemplate_id, Variant& /*InVntCOLUNA_ID*/) {
  return RunMethod(traps::kExcluiFiltroTemplateMethodTrap, invntConecta_db,
                   invntUsuario_Internet_id, outvntMsg_Ret, [&] {
                     // The routine's log row waits until the transaction ended.
                     MessageLogHold log_hold;
                     db::Connection connection(CStr(invntConecta_db));
                     db::TransactionScope transaction(connection);
                     if (!mExclui_Filtro_Template(connection, invntConecta_db,
                                                  invntUsuario_Internet_id, outvntMsg_Ret,
                                                  invntBanco_Dados, invntTemplate_id))
                       return false;
                     transaction.Commit();
                     return true;
                   });
}

}  // namespace tpl

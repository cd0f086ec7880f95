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

Variant gExclui_Template(const CallContext& call, Variant& invntTemplate_id) {
  return RunMethod(traps::kExcluiTemplateTrap, call, [&] {
    if (TrimmedText(invntTemplate_id).empty()) {
      call.message() = Variant(sentences::kTemplateToDeleteMissing);
      return false;
    }
    // The one procedure call is the whole deletion: no
    // transaction of ours is needed around it.
    return mExclui_Template(call, invntTemplate_id);
  });
}

bool mExclui_Template(const CallContext& call, const Variant& template_id) {
  std::string sql = "SP_KMB_EXCLUI_TEMPLATE1";
  return RunRoutine(traps::kExcluiTemplateRoutineTrap, sql, call, [&] {
    db::Connection connection(CStr(call.connection_string()), call.limits());
    ProcedureCall(connection, sql)
        .Integer("pTEMPLATE_ID", template_id)
        .Integer("pUSUARIO_ID", call.user())
        .Run();
    return true;
  });
}

Variant gExclui_Filtro_Template(const CallContext& call, Variant& invntTemplate_id,
                                Variant& /*InVntCOLUNA_ID*/) {
  return RunMethod(traps::kExcluiFiltroTemplateMethodTrap, call, [&] {
    // The routine's log row waits until the transaction ended.
    MessageLogHold log_hold(call);
    db::Connection connection(CStr(call.connection_string()), call.limits());
    db::TransactionScope transaction(connection);
    if (!mExclui_Filtro_Template(connection, call, invntTemplate_id)) return false;
    transaction.Commit();
    return true;
  });
}

}  // namespace tpl

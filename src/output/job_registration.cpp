// gInclui_JOB: registers a background job in four steps (validation, job
// row, parameter text built, parameter text stored). A step that fails
// stops the registration; what was already written stays, and the failure
// is recorded in the message log.
#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "shared/message_log.h"
#include "tpl/conversions.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{"Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.",
                        " Vrl_JOGB.gInclui_JOB ( "};

}  // namespace

bool gInclui_JOB(Variant& invntBase_dados, Variant& invntConecta_db,
                      Variant& invntUsuario_Internet_id, Variant& outvntMsg_Ret,
                      Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                      Variant& InVntFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                      Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                      Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail,
                      Variant& InVntData_Inicio, Variant& invntEmail_Remetente,
                      Variant& invntEndereco_Anexo) {
  std::string sql;
  return RunRoutine(
      kTrap, sql, invntBase_dados, invntConecta_db, invntUsuario_Internet_id, outvntMsg_Ret,
      [&] {
        std::string database_kind = TextOrEmpty(invntBase_dados);
        std::string connection_string = TextOrEmpty(invntConecta_db);
        int32_t user = CLng(mNormaliza_Numero(invntUsuario_Internet_id));

        auto registered = [&] {
          if (!mConsiste_Inclui_JOB(database_kind, connection_string, user, outvntMsg_Ret,
                                    InVntFuncao_ID, InVntTitulo_EMail, InVntFlag_Envia_EMail,
                                    InVntTexto_EMail, InVntEndereco_EMail, InVntData_Inicio))
            return false;

          // A Null here is not a value the job row can hold: CStr raises,
          // and the failure ends in this method's trap.
          std::string attachment = CStr(invntEndereco_Anexo);
          std::string sender = CStr(invntEmail_Remetente);
          std::string start_date = CStr(InVntData_Inicio);
          std::string recipient = CStr(InVntEndereco_EMail);
          std::string text = CStr(InVntTexto_EMail);
          std::string flag = CStr(InVntFlag_Envia_EMail);
          std::string title = CStr(InVntTitulo_EMail);
          int32_t function = CLng(InVntFuncao_ID);
          if (!mInclui_JOB(user, function, title, flag, OutVntLog_Gerador_ID, connection_string,
                           database_kind, text, recipient, outvntMsg_Ret, start_date, sender,
                           attachment))
            return false;

          int32_t job_id = CLng(OutVntLog_Gerador_ID);
          std::string parameters;
          return mMonta_Parametro(database_kind, connection_string, user, outvntMsg_Ret,
                                  InArrVntParametro, InVntTam_Arr_Parametro, parameters,
                                  job_id) &&
                 mInclui_Parametros_JOB(job_id, parameters, connection_string, database_kind,
                                        user, outvntMsg_Ret);
        };
        if (registered()) return true;

        gGrava_Log_Msg(Variant(database_kind), Variant(connection_string), Variant::Long(user),
                       Variant(kErrorMessageType),
                       Variant("VRL_JOB.gInclui_JOB - " + TextOrEmpty(outvntMsg_Ret)));
        return false;
      });
}

}  // namespace tpl

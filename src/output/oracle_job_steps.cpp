// The Oracle stand-ins for the two job procedures. Each writes the job row
// itself, records the action in the audit log, and answers with the text
// of a query whose first row reads like the procedure's answer.
#include "shared/error_trap.h"
#include "infra/audit_log.h"
#include "infra/identifier_counters.h"
#include "output/job_statements.h"
#include "platform/database/recordset.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

const RoutineTrap kInsertTrap{"Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.",
                              " Vrl_JOGB.mTrataSP_KMB_INC_JOB ( "};
const RoutineTrap kParametersTrap{
    "Acesso a inclusão dos parãmetros do JOB não disponível. Favor tentar mais tarde.",
    " Vrl_JOGB.mTrataSP_KMB_INCLUI_PARAMETRO_JOB ( "};

// Audit codes of a job row: the job table, an insertion.
constexpr int32_t kJobTable = 490;
constexpr int32_t kInsertAction = 1;

bool AuditJob(const std::string& database_kind, int32_t user, int32_t job_id,
              const std::string& connection_string, Variant& message) {
  int32_t table = kJobTable;
  int32_t action = kInsertAction;
  int32_t result = 0;
  std::string refusal;
  if (gGrava_Log_Sistema(database_kind, table, action, user, job_id, result, refusal,
                         connection_string))
    return true;
  message = Variant(refusal);
  return false;
}

}  // namespace

bool mTrataSP_KMB_INC_JOB(int32_t& inlngLOG_GERADOR_ID_Out,
                               int32_t& InLngUsuario_Internet_ID, int32_t& InLngFuncao_ID,
                               std::string& InStrTitulo_EMail, std::string& InStrFlag_Envia_EMail,
                               std::string& InStrTexto_EMail, std::string& InStrEndereco_EMail,
                               int32_t& InLngStatus, std::string& InStrData_Inicio,
                               std::string& instrEmail_Remetente,
                               std::string& instrEndereco_anexo, std::string& instrConecta_db,
                               std::string& InStrBanco_Dados, Variant& outvntMsg_Ret,
                               std::string& OutStrSQL) {
  std::string sql;
  return RunRoutine(
      kInsertTrap, sql, Variant(InStrBanco_Dados), Variant(instrConecta_db),
      Variant::Long(InLngUsuario_Internet_ID), outvntMsg_Ret, [&] {
        std::string refusal;
        int32_t job_id = 0;
        if (!gAtualiza_infra_ids(InStrBanco_Dados, InLngUsuario_Internet_ID, "N", nullptr,
                                 instrConecta_db, "LOG_GERADOR_ID", refusal, job_id)) {
          outvntMsg_Ret = Variant(refusal);
          return false;
        }
        inlngLOG_GERADOR_ID_Out = job_id;

        sql = OracleJobInsert(
            job_id, {InLngUsuario_Internet_ID, InLngFuncao_ID, InStrTitulo_EMail,
                     InStrFlag_Envia_EMail, InStrTexto_EMail, InStrEndereco_EMail, InLngStatus,
                     InStrData_Inicio, instrEmail_Remetente, instrEndereco_anexo});
        db::Recordset().Open(sql, instrConecta_db);

        if (!AuditJob(InStrBanco_Dados, InLngUsuario_Internet_ID, job_id, instrConecta_db,
                      outvntMsg_Ret))
          return false;
        OutStrSQL = OracleJobInsertAnswer(job_id);
        return true;
      });
}

bool mTrataSP_KMB_INCLUI_PARAMETRO_JOB(int32_t& inlngLOG_GERADOR_ID,
                                            std::string& InStrTxt_Query,
                                            std::string& instrConecta_db,
                                            std::string& InStrBanco_Dados,
                                            int32_t& InLngUsuario_Internet_ID,
                                            Variant& outvntMsg_Ret, std::string& OutStrSQL) {
  std::string sql;
  return RunRoutine(
      kParametersTrap, sql, Variant(InStrBanco_Dados), Variant(instrConecta_db),
      Variant::Long(InLngUsuario_Internet_ID), outvntMsg_Ret, [&] {
        sql = OracleJobParametersUpdate(inlngLOG_GERADOR_ID, InStrTxt_Query);
        db::Recordset().Open(sql, instrConecta_db);

        if (!AuditJob(InStrBanco_Dados, InLngUsuario_Internet_ID, inlngLOG_GERADOR_ID,
                      instrConecta_db, outvntMsg_Ret))
          return false;
        OutStrSQL = OracleJobParametersAnswer();
        return true;
      });
}

}  // namespace tpl

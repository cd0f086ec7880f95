// mInclui_JOB: inserts the job row and hands back its identifier. SQL
// Server runs the job procedure; Oracle writes the row itself and reads
// the same kind of answer from a small query.
#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "output/job_answer.h"
#include "output/job_statements.h"
#include "platform/database/recordset.h"
#include "tpl/conversions.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{"Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.",
                        " Vrl_JOGB.mInclui_JOB ( "};

}  // namespace

bool mInclui_JOB(int32_t& InLngUsuario_Internet_ID, int32_t& InLngFuncao_ID,
                      std::string& InStrTitulo_EMail, std::string& InStrFlag_Envia_EMail,
                      Variant& OutVntLog_Gerador_ID, std::string& instrConecta_db,
                      std::string& InStrBanco_Dados, std::string& InStrTexto_EMail,
                      std::string& InStrEndereco_EMail, Variant& outvntMsg_Ret,
                      std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                      std::string& instrEndereco_anexo) {
  std::string sql;
  return RunRoutine(
      kTrap, sql, Variant(InStrBanco_Dados), Variant(instrConecta_db),
      Variant::Long(InLngUsuario_Internet_ID), outvntMsg_Ret, [&] {
        if (InStrBanco_Dados == "ORACLE") {
          int32_t new_id = 0;
          int32_t status = kNewJobStatus;
          if (!mTrataSP_KMB_INC_JOB(new_id, InLngUsuario_Internet_ID, InLngFuncao_ID,
                                    InStrTitulo_EMail, InStrFlag_Envia_EMail, InStrTexto_EMail,
                                    InStrEndereco_EMail, status, InStrData_Inicio,
                                    instrEmail_Remetente, instrEndereco_anexo, instrConecta_db,
                                    InStrBanco_Dados, outvntMsg_Ret, sql))
            return false;
        } else {
          sql = JobInsertCall({InLngUsuario_Internet_ID, InLngFuncao_ID, InStrTitulo_EMail,
                               InStrFlag_Envia_EMail, InStrTexto_EMail, InStrEndereco_EMail,
                               kNewJobStatus, InStrData_Inicio, instrEmail_Remetente,
                               instrEndereco_anexo});
        }

        db::Recordset answer;
        answer.Open(sql, instrConecta_db);
        if (!AcceptedJobAnswer(answer, "Problemas na inclusão do JOB", outvntMsg_Ret))
          return false;
        int32_t job_id = CLng(mNormaliza_Numero(answer.Value("LOG_GERADOR_ID")));
        if (job_id != 0) OutVntLog_Gerador_ID = Variant::Long(job_id);
        answer.Close();
        return true;
      });
}

}  // namespace tpl

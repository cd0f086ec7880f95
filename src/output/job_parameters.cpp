// mInclui_Parametros_JOB: stores the job parameter text in the job row.
#include "shared/error_trap.h"
#include "output/job_answer.h"
#include "output/job_statements.h"
#include "platform/database/recordset.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{
    "Acesso a inclusão dos parâmetros do JOB não disponível. Favor tentar mais tarde.",
    " Vrl_JOGB.mInclui_Parametros_JOB ( "};

}  // namespace

bool mInclui_Parametros_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                                 std::string& instrConecta_db, std::string& InStrBanco_Dados,
                                 int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret) {
  std::string sql;
  return RunRoutine(
      kTrap, sql, Variant(InStrBanco_Dados), Variant(instrConecta_db),
      Variant::Long(InLngUsuario_Internet_ID), outvntMsg_Ret, [&] {
        if (InStrBanco_Dados == "ORACLE") {
          if (!mTrataSP_KMB_INCLUI_PARAMETRO_JOB(inlngLOG_GERADOR_ID, InStrTxt_Query,
                                                 instrConecta_db, InStrBanco_Dados,
                                                 InLngUsuario_Internet_ID, outvntMsg_Ret, sql))
            return false;
        } else {
          sql = JobParametersCall(inlngLOG_GERADOR_ID, InStrTxt_Query, InLngUsuario_Internet_ID);
        }

        db::Recordset answer;
        answer.Open(sql, instrConecta_db);
        if (!AcceptedJobAnswer(answer, "Problemas na inclusão dos parâmetros do JOB",
                               outvntMsg_Ret))
          return false;
        answer.Close();
        return true;
      });
}

}  // namespace tpl

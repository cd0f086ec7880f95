// The Oracle texts of job registration: the job row and its parameter text
// written with plain SQL, and the queries that answer with the row set the
// SQL Server procedures would have given.
#include <vector>

#include "output/job_literals.h"
#include "output/job_statements.h"

namespace tpl {
namespace {

// The literals in column order: each followed by " , " but the last, which
// is followed by two blanks; each after the first preceded by two blanks.
std::string ValueList(const std::vector<std::string>& literals) {
  std::string list;
  for (size_t i = 0; i < literals.size(); ++i) {
    if (i > 0) list += "  ";
    list += literals[i];
    list += i + 1 < literals.size() ? " , " : "  ";
  }
  return list;
}

}  // namespace

std::string OracleJobInsert(int32_t job_id, const JobRowValues& job) {
  return std::string(" INSERT ") + " INTO LOG_GERADOR " + " ( LOG_GERADOR_ID , " +
         " USUARIO_INTERNET_ID , " + " FUNCAO_ID , " + " TITULO_EMAIL , " +
         " FLAG_ENVIA_EMAIL , " + " TEXTO_EMAIL , " + " ENDERECO_EMAIL , " +
         " Tab_Status_JOB_ID, " + " Data_Inicio, " + " Email_Remetente, " + " Endereco_anexo " +
         " ) " + " VALUES " + " (  " +
         ValueList({OracleNumber(job_id), OracleNumber(job.user), OracleNumber(job.function),
                    OracleText(job.title), OracleText(job.flag), OracleText(job.text),
                    OracleText(job.recipient), OracleNumber(job.status),
                    OracleDate(job.start_date), OracleText(job.sender),
                    OracleText(job.attachment)}) +
         " ) ";
}

std::string OracleJobInsertAnswer(int32_t job_id) {
  return " Select 0 Retorno, '' MSG_RET , " + std::to_string(job_id) +
         " Log_Gerador_ID From Infra_IDS ";
}

std::string OracleJobParametersUpdate(int32_t job_id, const std::string& parameters) {
  return std::string(" UPDATE LOG_GERADOR ") + " SET " + " TXT_QUERY =  " +
         OracleText(parameters) + " " + " WHERE LOG_GERADOR_ID  = " + std::to_string(job_id) +
         " ";
}

std::string OracleJobParametersAnswer() { return " Select 0 Retorno, '' Msg_Ret From Infra_IDS "; }

}  // namespace tpl

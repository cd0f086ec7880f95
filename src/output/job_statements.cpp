#include "output/job_statements.h"

#include <string>
#include <vector>

#include "database/recordset.h"
#include "conventions/value_helpers.h"
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

bool AcceptedJobAnswer(db::Recordset& answer, std::string_view problem, Variant& message) {
  if (!answer.IsOpen() || answer.Eof()) {
    message = Variant(std::string(problem) + ".");
    return false;
  }
  if (CDbl(mNormaliza_Numero(answer.Value("Retorno"))) != 0) {
    message = Variant(std::string(problem) + " (" + TextOrEmpty(answer.Value("Msg_Ret")) + ").");
    answer.Close();
    return false;
  }
  return true;
}

// The SQL Server texts of job registration: calls of the two job
// procedures with literal arguments.
std::string JobInsertCall(const JobRowValues& job) {
  return "EXEC SP_KMB_INC_JOB2   " + ServerNumber(job.user) + ", " + ServerNumber(job.function) +
         ", " + ServerText(job.title) + ", " + ServerText(job.flag) + ", " +
         ServerNumber(job.user) + ", " + ServerText(job.text) + ", " +
         ServerText(job.recipient) + " , " + ServerNumber(job.status) + " , " +
         ServerText(job.sender) + " , " + ServerText(job.attachment) + " , " +
         ServerDate(job.start_date) + "  ";
}

std::string JobParametersCall(int32_t job_id, const std::string& parameters, int32_t user) {
  return "EXEC SP_KMB_INCLUI_PARAMETRO_JOB3   " + ServerNumber(job_id) + ", " +
         ServerText(parameters) + ", " + ServerNumber(user);
}

// The Oracle texts of job registration: the job row and its parameter text
// written with plain SQL, and the queries that answer with the row set the
// SQL Server procedures would have given.
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

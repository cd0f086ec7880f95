#include "output/job_registration.h"

#include "infra/identifier_counters.h"
#include "infra/value_checks.h"
#include "output/job_statements.h"
#include "database/recordset.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/message_log.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"

namespace tpl {

// gInclui_JOB: registers a background job in four steps (validation, job
// row, parameter text built, parameter text stored). A step that fails
// stops the registration; what was already written stays, and the failure
// is recorded in the message log.
bool gInclui_JOB(const CallContext& call, Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                 Variant& InVntFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                 Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                 Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail, Variant& InVntData_Inicio,
                 Variant& invntEmail_Remetente, Variant& invntEndereco_Anexo) {
  std::string sql;
  return RunRoutine(traps::kIncluiJobTrap, sql, call, [&] {
    std::string database_kind = TextOrEmpty(call.database_kind());
    std::string connection_string = TextOrEmpty(call.connection_string());
    int32_t user = CLng(mNormaliza_Numero(call.user()));
    // The steps work with typed copies, and log and report with them.
    const CallContext steps(call, Variant(connection_string), Variant::Long(user),
                            Variant(database_kind));
    Variant& outvntMsg_Ret = call.message();

    auto registered = [&] {
      if (!mConsiste_Inclui_JOB(steps, InVntFuncao_ID, InVntTitulo_EMail, InVntFlag_Envia_EMail,
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
      if (!mInclui_JOB(steps, function, title, flag, OutVntLog_Gerador_ID, text, recipient,
                       start_date, sender, attachment))
        return false;

      int32_t job_id = CLng(OutVntLog_Gerador_ID);
      std::string parameters;
      return mMonta_Parametro(steps, InArrVntParametro, InVntTam_Arr_Parametro, parameters,
                              job_id) &&
             mInclui_Parametros_JOB(job_id, parameters, steps);
    };
    if (registered()) return true;

    gGrava_Log_Msg(
        steps, steps.database_kind(), Variant(kErrorMessageType),
        Variant(std::string(sentences::kIncluiJobLogLabel) + TextOrEmpty(outvntMsg_Ret)));
    return false;
  });
}

// mConsiste_Inclui_JOB: checks a job request before anything is written.
// The checks may rewrite the host's variables: filtered texts, an empty
// start date, and the e-mail fields emptied when no e-mail is wanted.
namespace {

constexpr int16_t kTitleLength = 100;
constexpr int16_t kRecipientLength = 100;
constexpr int16_t kTextLength = 255;

// An empty start date means that the job may start at once.
bool CheckStartDate(Variant& start_date, Variant& message) {
  if (TrimmedText(start_date).empty()) {
    start_date = Variant("");
    return true;
  }
  if (!IsDate(start_date)) {
    message = Variant(sentences::kStartDateInvalid);
    return false;
  }
  return true;
}

}  // namespace

bool mConsiste_Inclui_JOB(const CallContext& call, Variant& InVntFuncao_ID,
                          Variant& InVntTitulo_EMail, Variant& InVntFlag_Envia_EMail,
                          Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail,
                          Variant& InVntData_Inicio) {
  const Variant& user = call.user();
  Variant& outvntMsg_Ret = call.message();
  const Variant mandatory("S");
  const Variant optional("N");
  const Variant none("");
  std::string sql;
  return RunRoutine(
      traps::kConsisteIncluiJobTrap, sql, call, [&] {
        if (!gConsiste_Inteiro(Variant(sentences::kCaptionFunction), InVntFuncao_ID, Variant::Integer(1),
                               none, user, outvntMsg_Ret, mandatory))
          return false;
        if (!gConsiste_String(Variant(sentences::kCaptionSendEmail), InVntFlag_Envia_EMail,
                              Variant::Integer(1), user, outvntMsg_Ret, mandatory))
          return false;
        if (!CheckStartDate(InVntData_Inicio, outvntMsg_Ret)) return false;

        if (!TextEquals(InVntFlag_Envia_EMail, "S")) {
          InVntTitulo_EMail = Variant("");
          InVntEndereco_EMail = Variant("");
          InVntTexto_EMail = Variant("");
          return true;
        }
        return gConsiste_String(Variant(sentences::kCaptionEmailTitle), InVntTitulo_EMail,
                                Variant::Integer(kTitleLength), user, outvntMsg_Ret, mandatory) &&
               gConsiste_String(Variant(sentences::kCaptionEmailRecipient), InVntEndereco_EMail,
                                Variant::Integer(kRecipientLength), user, outvntMsg_Ret,
                                mandatory) &&
               gConsiste_String(Variant(sentences::kCaptionEmailText), InVntTexto_EMail,
                                Variant::Integer(kTextLength), user, outvntMsg_Ret, optional);
      });
}

// mInclui_JOB: inserts the job row and hands back its identifier. SQL
// Server runs the job procedure; Oracle writes the row itself and reads
// the same kind of answer from a small query.
bool mInclui_JOB(const CallContext& call, int32_t& InLngFuncao_ID, std::string& InStrTitulo_EMail,
                 std::string& InStrFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                 std::string& InStrTexto_EMail, std::string& InStrEndereco_EMail,
                 std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                 std::string& instrEndereco_anexo) {
  // Typed copies of the call's values, as the job steps have them.
  const std::string InStrBanco_Dados = TextOrEmpty(call.database_kind());
  const std::string instrConecta_db = TextOrEmpty(call.connection_string());
  const int32_t InLngUsuario_Internet_ID = CLng(call.user());
  Variant& outvntMsg_Ret = call.message();
  std::string sql;
  return RunRoutine(
      traps::kIncluiJobRowTrap, sql, call, [&] {
        if (IsDatabaseKind(InStrBanco_Dados, DatabaseKind::Oracle, KindComparison::Exact)) {
          int32_t new_id = 0;
          int32_t status = kNewJobStatus;
          if (!mTrataSP_KMB_INC_JOB(call, new_id, InLngFuncao_ID, InStrTitulo_EMail,
                                    InStrFlag_Envia_EMail, InStrTexto_EMail, InStrEndereco_EMail,
                                    status, InStrData_Inicio, instrEmail_Remetente,
                                    instrEndereco_anexo, sql))
            return false;
        } else {
          sql = JobInsertCall({InLngUsuario_Internet_ID, InLngFuncao_ID, InStrTitulo_EMail,
                               InStrFlag_Envia_EMail, InStrTexto_EMail, InStrEndereco_EMail,
                               kNewJobStatus, InStrData_Inicio, instrEmail_Remetente,
                               instrEndereco_anexo});
        }

        db::Recordset answer;
        answer.Open(sql, instrConecta_db, call.limits());
        if (!AcceptedJobAnswer(answer, sentences::kJobInsertProblem, outvntMsg_Ret))
          return false;
        int32_t job_id = CLng(mNormaliza_Numero(answer.Value("LOG_GERADOR_ID")));
        if (job_id != 0) OutVntLog_Gerador_ID = Variant::Long(job_id);
        answer.Close();
        return true;
      });
}

// mMonta_Parametro: the job parameter text that the job processor reads,
// the job identifier, "__JOB__", then "__" and each parameter in order:
// job 123 with parameters A and B gives 123__JOB____A__B.
bool mMonta_Parametro(const CallContext& call, Variant& InArrVntParametro,
                      Variant& InVntTam_Arr_Parametro, std::string& OutStrParametros,
                      int32_t& inlngLOG_GERADOR_ID) {
  std::string sql;
  return RunRoutine(traps::kMontaParametroTrap, sql, call, [&] {
    // The count is host data: a text count is read as a number, and
    // one beyond the array's end fails like any other bad subscript.
    const double last = CDbl(Subtract(InVntTam_Arr_Parametro, Variant::Integer(1)));
    std::string text = std::to_string(inlngLOG_GERADOR_ID) + "__JOB__";
    for (int32_t index = 0; index <= last; ++index) {
      text += "__" + TextOrEmpty(InArrVntParametro.AsArray().at(index));
    }
    OutStrParametros = text;
    return true;
  });
}

// mInclui_Parametros_JOB: stores the job parameter text in the job row.
bool mInclui_Parametros_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                            const CallContext& call) {
  // Typed copies of the call's values, as the job steps have them.
  const std::string InStrBanco_Dados = TextOrEmpty(call.database_kind());
  const std::string instrConecta_db = TextOrEmpty(call.connection_string());
  const int32_t InLngUsuario_Internet_ID = CLng(call.user());
  Variant& outvntMsg_Ret = call.message();
  std::string sql;
  return RunRoutine(traps::kIncluiParametrosJobTrap, sql, call, [&] {
    if (IsDatabaseKind(InStrBanco_Dados, DatabaseKind::Oracle, KindComparison::Exact)) {
      if (!mTrataSP_KMB_INCLUI_PARAMETRO_JOB(inlngLOG_GERADOR_ID, InStrTxt_Query, call, sql))
        return false;
    } else {
      sql = JobParametersCall(inlngLOG_GERADOR_ID, InStrTxt_Query, InLngUsuario_Internet_ID);
    }

    db::Recordset answer;
    answer.Open(sql, instrConecta_db, call.limits());
    if (!AcceptedJobAnswer(answer, sentences::kJobParametersProblem, outvntMsg_Ret)) return false;
    answer.Close();
    return true;
  });
}

// The Oracle stand-ins for the two job procedures. Each writes the job row
// itself, records the action in the audit log, and answers with the text
// of a query whose first row reads like the procedure's answer.
namespace {

// Audit codes of a job row: the job table, an insertion.
constexpr int32_t kJobTable = 490;
constexpr int32_t kInsertAction = 1;

bool AuditJob(const std::string& database_kind, int32_t user, int32_t job_id,
              const std::string& connection_string, Variant& message,
              const db::CallLimits& limits) {
  int32_t table = kJobTable;
  int32_t action = kInsertAction;
  int32_t result = 0;
  std::string refusal;
  if (gGrava_Log_Sistema(database_kind, table, action, user, job_id, result, refusal,
                         connection_string, limits))
    return true;
  message = Variant(refusal);
  return false;
}

}  // namespace

bool mTrataSP_KMB_INC_JOB(const CallContext& call, int32_t& inlngLOG_GERADOR_ID_Out,
                          int32_t& InLngFuncao_ID, std::string& InStrTitulo_EMail,
                          std::string& InStrFlag_Envia_EMail, std::string& InStrTexto_EMail,
                          std::string& InStrEndereco_EMail, int32_t& InLngStatus,
                          std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                          std::string& instrEndereco_anexo, std::string& OutStrSQL) {
  // Typed copies of the call's values, as the job steps have them.
  const std::string InStrBanco_Dados = TextOrEmpty(call.database_kind());
  const std::string instrConecta_db = TextOrEmpty(call.connection_string());
  const int32_t InLngUsuario_Internet_ID = CLng(call.user());
  Variant& outvntMsg_Ret = call.message();
  std::string sql;
  return RunRoutine(
      traps::kOracleIncluiJobTrap, sql, call, [&] {
        std::string refusal;
        int32_t job_id = 0;
        if (!gAtualiza_infra_ids(InStrBanco_Dados, InLngUsuario_Internet_ID, "N", nullptr,
                                 instrConecta_db, "LOG_GERADOR_ID", refusal, job_id,
                                 call.limits())) {
          outvntMsg_Ret = Variant(refusal);
          return false;
        }
        inlngLOG_GERADOR_ID_Out = job_id;

        sql = OracleJobInsert(
            job_id, {InLngUsuario_Internet_ID, InLngFuncao_ID, InStrTitulo_EMail,
                     InStrFlag_Envia_EMail, InStrTexto_EMail, InStrEndereco_EMail, InLngStatus,
                     InStrData_Inicio, instrEmail_Remetente, instrEndereco_anexo});
        db::Recordset().Open(sql, instrConecta_db, call.limits());

        if (!AuditJob(InStrBanco_Dados, InLngUsuario_Internet_ID, job_id, instrConecta_db,
                      outvntMsg_Ret, call.limits()))
          return false;
        OutStrSQL = OracleJobInsertAnswer(job_id);
        return true;
      });
}

bool mTrataSP_KMB_INCLUI_PARAMETRO_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                                       const CallContext& call, std::string& OutStrSQL) {
  // Typed copies of the call's values, as the job steps have them.
  const std::string InStrBanco_Dados = TextOrEmpty(call.database_kind());
  const std::string instrConecta_db = TextOrEmpty(call.connection_string());
  const int32_t InLngUsuario_Internet_ID = CLng(call.user());
  Variant& outvntMsg_Ret = call.message();
  std::string sql;
  return RunRoutine(
      traps::kOracleIncluiParametroTrap, sql, call, [&] {
        sql = OracleJobParametersUpdate(inlngLOG_GERADOR_ID, InStrTxt_Query);
        db::Recordset().Open(sql, instrConecta_db, call.limits());

        if (!AuditJob(InStrBanco_Dados, InLngUsuario_Internet_ID, inlngLOG_GERADOR_ID,
                      instrConecta_db, outvntMsg_Ret, call.limits()))
          return false;
        OutStrSQL = OracleJobParametersAnswer();
        return true;
      });
}

}  // namespace tpl

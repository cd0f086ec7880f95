#include "report/query_execution.h"

#include <memory>
#include <string>

#include "database/command.h"
#include "database/recordset.h"
#include "report/result_matrix.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/system_parameters.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/dictionary.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {

std::string GenerationLogCommand(const Variant& user, const Variant& template_id, int32_t log_id) {
  // The user and the template are identifiers: whole numbers that we write
  // ourselves, so that no text of the caller reaches the statement.
  Variant user_text = TextOrEmpty(user).empty() ? Variant("")
                                                 : Variant(std::to_string(WholeNumberOf(user)));
  return "EXEC SP_KMB_GRAVA_LOG_TEMPLATE_DINAMICO " + CStr(mTrata_Texto_SQL(user_text)) + ", " +
         CStr(mTrata_Numero_SQL(Variant::Long(WholeNumberOf(template_id)))) + ", " +
         CStr(mTrata_Numero_SQL(Variant::Long(log_id)));
}

bool mGrava_Log_Template_Dinamico(const CallContext& call, const Variant& template_id,
                                  int32_t& log_id) {
  const Variant& connection_string = call.connection_string();
  const Variant& user = call.user();
  std::string sql;
  return RunRoutine(traps::kLogTemplateTrap, sql, call, [&] {
    sql = GenerationLogCommand(user, template_id, log_id);
    db::Recordset recordset;
    recordset.Open(sql, CStr(connection_string), call.limits());
    if (recordset.IsOpen() && !recordset.Eof()) {
      log_id = CLng(mNormaliza_Numero(recordset.Value("Log_Template_Id")));
    }
    return true;
  });
}

std::string EmailRequestCommand(const Variant& user, const Variant& query, const Variant& title) {
  // The request's procedure turns every ## back into an apostrophe. A ## of
  // the query's own (a filter value's) would come back as a quote and change
  // the query that runs later, so such a query is not sent.
  if (TextOrEmpty(query).find("##") != std::string::npos)
    throw RuntimeError(error::kInvalidProcedureCall, "Consulta com ## não pode ser enviada por e-mail");
  std::string quoted_query = Replace(TextOrEmpty(query), "'", "##");
  // An apostrophe in the title is doubled, the escape of the SQL texts the
  // procedure receives, so that a title can never end its literal early.
  std::string quoted_title = Replace(TextOrEmpty(title), "'", "''");
  return std::string("EXEC Sp_061_Envia_Rel_Din_Email02 ") + "'" + quoted_query + " ', " +
         std::to_string(WholeNumberOf(user)) + ", " + "'" + quoted_title + "'";
}

bool mEnvia_Rel_Din_Email(const CallContext& call, const Variant& query,
                          const Variant& title) {
  const Variant& connection_string = call.connection_string();
  const Variant& user = call.user();
  Variant& message = call.message();
  std::string sql;
  return RunRoutine(traps::kEnviaEmailTrap, sql, call, [&] {
    sql = EmailRequestCommand(user, query, title);
    db::Recordset recordset;
    recordset.Open(sql, CStr(connection_string), call.limits());
    Variant answer = mNormaliza_Numero(recordset.Value("Retorno"));
    if (CompareWithNumber(answer, 0) != 0) {
      message = mTrata_Nulo(recordset.Value("MsgRet"));
      return false;
    }
    return true;
  });
}

namespace {

constexpr int32_t kDefaultTimeoutSeconds = 90;

struct ExecutionSettings {
  int32_t timeout_seconds = kDefaultTimeoutSeconds;
  std::string timeout_to_email = "N";
  std::string zero_display = "N";
};

// A parameter's text, or `fallback` when the lookup fails. The lookup's
// own message is not the caller's: it goes to a scratch slot (the failure
// is still logged).
std::string ParameterOr(const CallContext& call, const SystemParameter& parameter,
                        const char* fallback) {
  Variant value("");
  Variant scratch;
  if (!mBusca_Tab_Parametro_Sistema(CallContext(call, scratch), parameter, value))
    return fallback;
  return TextOrEmpty(value);
}

ExecutionSettings ReadSettings(const CallContext& call) {
  ExecutionSettings settings;
  Variant timeout(ParameterOr(call, system_parameters::kCommandTimeout, "90"));
  if (IsNumeric(timeout)) settings.timeout_seconds = CLng(timeout);
  settings.timeout_to_email = ParameterOr(call, system_parameters::kTimeoutToEmail, "N");
  settings.zero_display = ParameterOr(call, system_parameters::kZeroDisplay, "N");
  return settings;
}

}  // namespace

std::string ReportCommandText(const std::string& query) {
  return "Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\n" + query;
}

bool mExecutar_Query(const CallContext& call, const Variant& query, Variant& line_count,
                     Variant& column_count, Variant& matrix, const Variant& title,
                     const Variant& template_id, Variant& additional, const Variant& email_flag) {
  const Variant& connection_string = call.connection_string();
  const Variant& user = call.user();
  Variant& message = call.message();
  ExecutionSettings settings;
  std::string query_text = TextOrEmpty(query);
  try {
    // Inside the trap: a time-out that is no Long (overflow) fails this
    // routine like any other of its failures.
    settings = ReadSettings(call);
    db::Connection connection(CStr(connection_string), call.limits());
    db::Command command(connection);
    command.SetCommandType(db::CommandType::Text);
    command.SetCommandText(ReportCommandText(query_text));
    command.SetCommandTimeout(settings.timeout_seconds);
    command.RestrictToReading();

    int32_t log_id = 0;
    if (!mGrava_Log_Template_Dinamico(call, template_id, log_id)) {
      message = Variant(sentences::kReportLogProblem);
      return false;
    }
    if (TrimmedText(email_flag) == "S") {
      if (mEnvia_Rel_Din_Email(call, query, title)) {
        message = Variant(sentences::kEmailRequestRecorded);
      }
      return false;
    }

    // The first row set is laid out as its rows arrive; the rest of the
    // batch is read whole behind it, into the recordset.
    ResultMatrixBuilder builder(ResultMatrixRules{true, Variant(settings.zero_display)});
    std::vector<db::ResultSet> row_sets;
    command.ExecuteInBlocks(kResultMatrixRowsPerBlock, builder.receiver(), &row_sets);
    db::Recordset recordset(std::move(row_sets));
    if (!mGrava_Log_Template_Dinamico(call, template_id, log_id)) {
      message = Variant(sentences::kReportLogProblem);
      return false;
    }
    if (!recordset.IsOpen()) Raise(error::kObjectClosed);  // as Eof would, without a row set
    if (builder.record_count() == 0) {
      std::string text(sentences::kNoRecords);
      if (TrimmedText(user) == "1") text += std::string(sentences::kNoRecordsQueryLabel) + query_text;
      message = Variant(text);
      return false;
    }

    ResultMatrix result = builder.Finish(recordset.Current().columns);
    line_count = Variant::Long(result.line_count);
    column_count = Variant::Long(result.column_count);
    matrix = Variant(std::move(result.cells));

    if (recordset.NextRecordset()) {
      additional = Variant(std::static_pointer_cast<Object>(std::make_shared<Dictionary>()));
      if (!mMonta_ArrayMatriz_Adicional(call, recordset, additional))
        return false;
    }
    return true;
  } catch (...) {
    RuntimeError failure = CurrentFailure(std::current_exception());
    if (failure.number() == error::kCommandTimeout && Trim(settings.timeout_to_email) == "S") {
      if (mEnvia_Rel_Din_Email(call, query, title)) {
        message = Variant(sentences::kServerTimeOut);
      }
      return false;
    }
    HandleRoutineFailure(traps::kExecutarQueryRoutineTrap, failure, query_text, call);
    return false;
  }
}

bool mMonta_ArrayMatriz_Adicional(const CallContext& call, db::Recordset& recordset,
                                  Variant& additional) {
  std::string no_sql;
  return RunRoutine(traps::kMatrizAdicionalTrap, no_sql, call,
                    [&] {
                      auto& dictionary = dynamic_cast<Dictionary&>(*additional.AsObject());
                      ResultMatrixRules rules{false, Variant("N")};
                      while (recordset.IsOpen()) {
                        if (!recordset.Eof()) {
                          ResultMatrix result = BuildResultMatrix(recordset.Current(), rules);
                          dictionary.Add("RS" + std::to_string(dictionary.Count()),
                                         Variant(std::move(result.cells)));
                        }
                        recordset.NextRecordset();
                      }
                      return true;
                    });
}

}  // namespace tpl

#include "report/query_execution.h"

#include <memory>
#include <string>

#include "shared/error_trap.h"
#include "shared/system_parameters.h"
#include "shared/value_helpers.h"
#include "platform/database/command.h"
#include "report/email_request.h"
#include "report/generation_log.h"
#include "report/result_matrix.h"
#include "tpl/conversions.h"
#include "tpl/dictionary.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{"Acesso a geração do relatório não disponível. Favor tentar mais tarde.",
                        " KMBTPL01.mExecutar_Query( "};
const RoutineTrap kAdditionalTrap{
    "Acesso a geração do relatório não disponível. Favor tentar mais tarde.",
    " KMBTPL01.mMonta_ArrayMatriz_Adicional( "};

constexpr int32_t kTimeoutParameter = 2001780;
constexpr int32_t kTimeoutToEmailParameter = 15000;
constexpr int32_t kZeroDisplayParameter = 7018;
constexpr int32_t kDefaultTimeoutSeconds = 90;

const char kLogFailure[] =
    "Problemas na gravação do log do relatório. Contacte administrador do sistema.";

struct ExecutionSettings {
  int32_t timeout_seconds = kDefaultTimeoutSeconds;
  std::string timeout_to_email = "N";
  std::string zero_display = "N";
};

// A parameter's text, or `fallback` when the lookup fails. The lookup's
// own message is not the caller's: it goes to a scratch slot (the failure
// is still logged).
std::string ParameterOr(const Variant& kind, const Variant& user, const Variant& connection,
                        int32_t id, const char* fallback) {
  Variant value("");
  Variant scratch;
  if (!mBusca_Tab_Parametro_Sistema(kind, user, connection, scratch, Variant::Long(id), value))
    return fallback;
  return TextOrEmpty(value);
}

ExecutionSettings ReadSettings(const Variant& kind, const Variant& user,
                               const Variant& connection) {
  ExecutionSettings settings;
  Variant timeout(ParameterOr(kind, user, connection, kTimeoutParameter, "90"));
  if (IsNumeric(timeout)) settings.timeout_seconds = CLng(timeout);
  settings.timeout_to_email = ParameterOr(kind, user, connection, kTimeoutToEmailParameter, "N");
  settings.zero_display = ParameterOr(kind, user, connection, kZeroDisplayParameter, "N");
  return settings;
}

}  // namespace

std::string ReportCommandText(const std::string& query) {
  return "Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\n" + query;
}

bool mExecutar_Query(const Variant& connection_string, const Variant& user, Variant& message,
                     const Variant& database_kind, const Variant& query, Variant& line_count,
                     Variant& column_count, Variant& matrix, const Variant& title,
                     const Variant& template_id, Variant& additional, const Variant& email_flag) {
  ExecutionSettings settings = ReadSettings(database_kind, user, connection_string);
  std::string query_text = TextOrEmpty(query);
  try {
    db::Connection connection(CStr(connection_string));
    db::Command command(connection);
    command.SetCommandType(db::CommandType::Text);
    command.SetCommandText(ReportCommandText(query_text));
    command.SetCommandTimeout(settings.timeout_seconds);

    int32_t log_id = 0;
    if (!mGrava_Log_Template_Dinamico(connection_string, database_kind, user, template_id,
                                      message, log_id)) {
      message = Variant(kLogFailure);
      return false;
    }
    if (TrimmedText(email_flag) == "S") {
      if (mEnvia_Rel_Din_Email(connection_string, user, message, database_kind, query, title)) {
        message = Variant("Solicitação gravada com sucesso. O sistema enviará o relatório por "
                          "email.");
      }
      return false;
    }

    db::Recordset recordset = command.Execute();
    if (!mGrava_Log_Template_Dinamico(connection_string, database_kind, user, template_id,
                                      message, log_id)) {
      message = Variant(kLogFailure);
      return false;
    }
    if (recordset.Eof()) {
      std::string text = "Não foram encontrados registros para esse relatório.";
      if (TrimmedText(user) == "1") text += " - InVntQuery = " + query_text;
      message = Variant(text);
      return false;
    }

    ResultMatrixRules rules{true, Variant(settings.zero_display)};
    ResultMatrix result = BuildResultMatrix(recordset.Current(), rules);
    line_count = Variant::Long(result.line_count);
    column_count = Variant::Long(result.column_count);
    matrix = Variant(std::move(result.cells));

    if (recordset.NextRecordset()) {
      additional = Variant(std::static_pointer_cast<Object>(std::make_shared<Dictionary>()));
      if (!mMonta_ArrayMatriz_Adicional(connection_string, database_kind, user, recordset,
                                        message, additional))
        return false;
    }
    return true;
  } catch (...) {
    RuntimeError failure = CurrentFailure(std::current_exception());
    if (failure.number() == error::kCommandTimeout && Trim(settings.timeout_to_email) == "S") {
      if (mEnvia_Rel_Din_Email(connection_string, user, message, database_kind, query, title)) {
        message = Variant("Tempo de resposta do servidor excedido. O sistema enviará o relatório "
                          "por email.");
      }
      return false;
    }
    HandleRoutineFailure(kTrap, failure, query_text, database_kind, connection_string, user,
                         message);
    return false;
  }
}

bool mMonta_ArrayMatriz_Adicional(const Variant& connection_string, const Variant& database_kind,
                                  const Variant& user, db::Recordset& recordset, Variant& message,
                                  Variant& additional) {
  std::string no_sql;
  return RunRoutine(kAdditionalTrap, no_sql, database_kind, connection_string, user, message,
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

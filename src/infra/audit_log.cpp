#include "infra/audit_log.h"

#include "shared/value_helpers.h"
#include "platform/database/recordset.h"
#include "platform/database/transaction_scope.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

std::string NumberLiteral(int32_t number) {
  return CStr(mTrata_Numero_SQL(Variant(Trim(std::to_string(number)))));
}

std::string TimeExpression(const std::string& database_kind) {
  if (database_kind == "SQLSERVER") return " getdate() ) ";
  if (database_kind == "ORACLE") return " SYSDATE )  ";
  return " '01/01/2000' ) ";
}

}  // namespace

std::string AuditInsertStatement(const std::string& database_kind, int32_t identifier,
                                 int32_t table_code, int32_t action_code, int32_t user,
                                 int32_t record_id) {
  return std::string(" Insert ") + " Into LOG_SISTEMA ( " + " LOG_SISTEMA_ID, " +
         " TABELA_SISTEMA_ID, " + " TAB_TIPO_ACAO_ID, " + " USUARIO_ID, " + " registro_id, " +
         " data_log ) " + " Values ( " + NumberLiteral(identifier) + " , " +
         NumberLiteral(table_code) + " , " + NumberLiteral(action_code) + " , " +
         NumberLiteral(user) + " , " + NumberLiteral(record_id) + " , " +
         TimeExpression(database_kind);
}

bool gGrava_Log_Sistema(const std::string& database_kind, int32_t& table_code,
                        int32_t& action_code, int32_t& user, int32_t& record_id,
                        int32_t& result_code, std::string& message,
                        const std::string& connection_string) {
  try {
    db::Connection connection(connection_string);
    db::TransactionScope transaction(connection);
    db::Recordset recordset;
    // Claim the counter's row before reading it (see gAtualiza_infra_ids).
    recordset.Open("UPDATE infra_ids SET LOG_SISTEMA_ID = LOG_SISTEMA_ID", connection);
    recordset.Open("SELECT LOG_SISTEMA_ID FROM infra_ids ", connection);
    if (!recordset.IsOpen() || recordset.Eof()) {
      result_code = 10;
      message = "Não hã registro na tabela Infra_ids.";
      return false;
    }
    int32_t identifier = CLng(mNormaliza_Numero(recordset.Value("LOG_SISTEMA_ID"))) + 1;
    recordset.Close();
    recordset.Open(" Update infra_ids set LOG_SISTEMA_ID = " + NumberLiteral(identifier),
                   connection);
    recordset.Open(AuditInsertStatement(database_kind, identifier, table_code, action_code, user,
                                        record_id),
                   connection);
    transaction.Commit();
  } catch (...) {
    // The audit row is a trace; its failure is not the caller's failure.
  }
  return true;
}

}  // namespace tpl

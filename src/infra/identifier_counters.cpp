#include "infra/identifier_counters.h"

#include "database/recordset.h"
#include "database/connection.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// The identifier after the stored one, in the platform's Long arithmetic:
// past 2,147,483,647 it overflows (error 6) instead of wrapping round to a
// negative identifier.
int32_t NextIdentifier(const Variant& stored) {
  int32_t next = 0;
  if (__builtin_add_overflow(CLng(mNormaliza_Numero(stored)), 1, &next)) Raise(error::kOverflow);
  return next;
}

}  // namespace

bool gAtualiza_infra_ids(const std::string& database_kind, int32_t user,
                         const std::string& connection_choice, db::Connection* connection,
                         const std::string& connection_string, const std::string& counter_column,
                         std::string& message, int32_t& new_identifier,
                         const db::CallLimits& limits) {
  std::string sql;
  Variant slot(message);
  const CallContext call(Variant(connection_string), Variant(user), Variant(database_kind), slot,
                         limits);
  bool done = RunRoutine(traps::kInfraIdsTrap, sql, call, [&] {
    db::Connection own;
    db::Connection* session = connection;
    if (connection_choice != "S" || session == nullptr) {
      own.Open(connection_string, limits);
      session = &own;
    }
    db::TransactionScope transaction(*session);
    db::Recordset recordset;
    // Writing the row first takes its lock on every database we serve,
    // so a concurrent reservation waits here instead of reading the
    // same value.
    sql = "UPDATE infra_ids SET " + counter_column + " = " + counter_column;
    recordset.Open(sql, *session);

    sql = "SELECT  " + counter_column + " FROM infra_ids ";
    recordset.Open(sql, *session);
    if (!recordset.IsOpen() || recordset.Eof()) {
      slot = Variant(sentences::kNoCounterRow);
      return false;
    }
    int32_t next = NextIdentifier(recordset.Value(Trim(counter_column)));
    recordset.Close();

    sql = "UPDATE infra_ids SET " + counter_column + " = " + std::to_string(next);
    recordset.Open(sql, *session);
    transaction.Commit();
    new_identifier = next;
    return true;
  });
  message = TextOrEmpty(slot);
  return done;
}

namespace {

std::string NumberLiteral(int32_t number) {
  return CStr(mTrata_Numero_SQL(Variant(Trim(std::to_string(number)))));
}

std::string TimeExpression(const std::string& database_kind) {
  if (IsDatabaseKind(database_kind, DatabaseKind::SqlServer, KindComparison::Exact)) return " getdate() ) ";
  if (IsDatabaseKind(database_kind, DatabaseKind::Oracle, KindComparison::Exact)) return " SYSDATE )  ";
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

bool gGrava_Log_Sistema(const std::string& database_kind, int32_t& table_code, int32_t& action_code,
                        int32_t& user, int32_t& record_id, int32_t& result_code,
                        std::string& message, const std::string& connection_string,
                        const db::CallLimits& limits) {
  try {
    db::Connection connection(connection_string, limits);
    db::TransactionScope transaction(connection);
    db::Recordset recordset;
    // Claim the counter's row before reading it (see gAtualiza_infra_ids).
    recordset.Open("UPDATE infra_ids SET LOG_SISTEMA_ID = LOG_SISTEMA_ID", connection);
    recordset.Open("SELECT LOG_SISTEMA_ID FROM infra_ids ", connection);
    if (!recordset.IsOpen() || recordset.Eof()) {
      result_code = 10;
      message = sentences::kNoAuditCounterRow;
      return false;
    }
    int32_t identifier = NextIdentifier(recordset.Value("LOG_SISTEMA_ID"));
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

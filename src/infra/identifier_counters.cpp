#include "infra/identifier_counters.h"

#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "platform/database/recordset.h"
#include "platform/database/transaction_scope.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{"Acesso aos SQL não disponível. Favor tentar mais tarde.",
                        " VRL_SQL1.gAtualiza_infra_ids ( ", " no nº ", " strsq: "};

}  // namespace

bool gAtualiza_infra_ids(const std::string& database_kind, int32_t user,
                         const std::string& connection_choice, db::Connection* connection,
                         const std::string& connection_string, const std::string& counter_column,
                         std::string& message, int32_t& new_identifier) {
  std::string sql;
  Variant slot(message);
  bool done = RunRoutine(
      kTrap, sql, Variant(database_kind), Variant(connection_string), Variant(user), slot, [&] {
        db::Connection own;
        db::Connection* session = connection;
        if (connection_choice != "S" || session == nullptr) {
          own.Open(connection_string);
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
          slot = Variant("Não há registro no banco de dados na tabela Infra_ids. ");
          return false;
        }
        int32_t next = CLng(mNormaliza_Numero(recordset.Value(Trim(counter_column)))) + 1;
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

}  // namespace tpl

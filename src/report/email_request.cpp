#include "report/email_request.h"

#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "platform/database/recordset.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{
    "Acesso a gravação do agendamento de envio de email não disponível. Favor tentar mais "
    "tarde.",
    " KMBTPL.mEnvia_Rel_Din_Email ( ", " No Nº ", "Query: "};

}  // namespace

std::string EmailRequestCommand(const Variant& user, const Variant& query, const Variant& title) {
  std::string quoted_query = Replace(TextOrEmpty(query), "'", "##");
  // An apostrophe in the title is doubled, the escape of the SQL texts the
  // procedure receives, so that a title can never end its literal early.
  std::string quoted_title = Replace(TextOrEmpty(title), "'", "''");
  return std::string("EXEC Sp_061_Envia_Rel_Din_Email02 ") + "'" + quoted_query + " ', " +
         CStr(user) + ", " + "'" + quoted_title + "'";
}

bool mEnvia_Rel_Din_Email(const Variant& connection_string, const Variant& user,
                          Variant& message, const Variant& database_kind, const Variant& query,
                          const Variant& title) {
  std::string sql;
  return RunRoutine(kTrap, sql, database_kind, connection_string, user, message, [&] {
    sql = EmailRequestCommand(user, query, title);
    db::Recordset recordset;
    recordset.Open(sql, CStr(connection_string));
    Variant answer = mNormaliza_Numero(recordset.Value("Retorno"));
    if (CompareWithNumber(answer, 0) != 0) {
      message = mTrata_Nulo(recordset.Value("MsgRet"));
      return false;
    }
    return true;
  });
}

}  // namespace tpl

// Hand-over of a report query to the database side, which runs it later
// and e-mails the result to the user.
#pragma once

#include <string>

#include "tpl/variant.h"

namespace tpl {

// Records the request through Sp_061_Envia_Rel_Din_Email02. False with the
// procedure's MsgRet when it refuses (Retorno not 0), or after a trapped
// failure.
bool mEnvia_Rel_Din_Email(const Variant& connection_string, const Variant& user,
                          Variant& message, const Variant& database_kind, const Variant& query,
                          const Variant& title);

// The EXEC text: the query's apostrophes travel as "##" (the procedure
// restores them).
std::string EmailRequestCommand(const Variant& user, const Variant& query, const Variant& title);

}  // namespace tpl

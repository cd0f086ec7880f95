// The row that answers a job step: the first row of what the job
// procedure (or its Oracle stand-in) returned. Retorno 0 accepts; anything
// else refuses, with Msg_Ret saying why.
#pragma once

#include <string_view>

#include "platform/database/recordset.h"
#include "tpl/variant.h"

namespace tpl {

// True when the step was accepted. Otherwise the message becomes
// `problem` + "." when no row came back, or `problem` + " (" + Msg_Ret +
// ")." for a refusal, and the recordset is closed.
bool AcceptedJobAnswer(db::Recordset& answer, std::string_view problem, Variant& message);

}  // namespace tpl

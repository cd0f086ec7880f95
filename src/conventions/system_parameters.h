// Lookup of one system parameter: the text value of a row of
// Tab_Parametro_Sistema. Limits, switches and folders of the library live
// there instead of being compiled in; the parameters it reads are the
// entries of tpl/system_parameters.h.
#pragma once

#include <string>

#include "conventions/call_context.h"
#include "tpl/system_parameters.h"
#include "tpl/variant.h"

namespace tpl {

// Reads parameter `parameter_id` into `value` (as text; Null becomes the
// empty text). A missing row is not a failure: `value` is left as it was.
// On a failure the message slot receives the sentence (and, for user 1,
// the detail), a log row is written, `value` is unchanged and the result
// is false.
bool mBusca_Tab_Parametro_Sistema(const CallContext& call, const SystemParameter& parameter,
                                  Variant& value);

// The query text for one identifier.
std::string SystemParameterQuery(const Variant& database_kind, const Variant& parameter_id);

}  // namespace tpl

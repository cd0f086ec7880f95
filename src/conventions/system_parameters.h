// Lookup of one system parameter: the text value of a row of
// Tab_Parametro_Sistema. Limits, switches and folders of the library live
// there instead of being compiled in.
#pragma once

#include <string>

#include "tpl/variant.h"

namespace tpl {

// Reads parameter `parameter_id` into `value` (as text; Null becomes the
// empty text). A missing row is not a failure: `value` is left as it was.
// On a failure the message slot receives the sentence (and, for user 1,
// the detail), a log row is written, `value` is unchanged and the result
// is false.
bool mBusca_Tab_Parametro_Sistema(const Variant& database_kind, const Variant& user,
                                  const Variant& connection_string, Variant& message,
                                  const Variant& parameter_id, Variant& value);

// The query text for one identifier.
std::string SystemParameterQuery(const Variant& database_kind, const Variant& parameter_id);

}  // namespace tpl

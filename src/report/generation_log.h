// The generation log of a report run: an entry opened before the query
// runs and closed after it, by SP_KMB_GRAVA_LOG_TEMPLATE_DINAMICO.
#pragma once

#include <cstdint>
#include <string>

#include "tpl/variant.h"

namespace tpl {

// With `log_id` 0 opens a new entry and puts its identifier there; with an
// identifier, closes that entry. A procedure that answers no row leaves
// `log_id` unchanged. False only after a trapped failure.
bool mGrava_Log_Template_Dinamico(const Variant& connection_string, const Variant& database_kind,
                                  const Variant& user, const Variant& template_id,
                                  Variant& message, int32_t& log_id);

std::string GenerationLogCommand(const Variant& user, const Variant& template_id, int32_t log_id);

}  // namespace tpl

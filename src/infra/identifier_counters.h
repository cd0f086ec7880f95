// Identifier counters kept in the single-row table infra_ids: one column
// per counter holding the last identifier handed out.
#pragma once

#include <cstdint>
#include <string>

#include "platform/database/connection.h"

namespace tpl {

// Hands out the next identifier of `counter_column`. With connection
// choice "S" it works on `connection` (inside its transaction, if any);
// otherwise it opens `connection_string`. Concurrent reservations, also
// from other processes, never receive the same identifier: the counter's
// row is claimed before it is read, and the claim lasts until the new
// value is stored. False, with the message, for an empty infra_ids or any
// failure (which is also logged).
bool gAtualiza_infra_ids(const std::string& database_kind, int32_t user,
                         const std::string& connection_choice, db::Connection* connection,
                         const std::string& connection_string, const std::string& counter_column,
                         std::string& message, int32_t& new_identifier);

}  // namespace tpl

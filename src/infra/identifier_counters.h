// Identifier counters kept in the single-row table infra_ids (one column
// per counter holding the last identifier handed out), and the audit log
// LOG_SISTEMA, whose rows draw their identifiers from the LOG_SISTEMA_ID
// counter.
#pragma once

#include <cstdint>
#include <string>

#include "database/connection.h"

namespace tpl {

// Both work for the call whose limits they are given (the sessions they
// open wait for locks by them, database/call_limits.h).

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
                         std::string& message, int32_t& new_identifier,
                         const db::CallLimits& limits);

// Writes one audit row. Database errors never reach the caller (the row is
// then simply not written); false only when infra_ids is empty, with
// result code 10 and its message.
bool gGrava_Log_Sistema(const std::string& database_kind, int32_t& table_code, int32_t& action_code,
                        int32_t& user, int32_t& record_id, int32_t& result_code,
                        std::string& message, const std::string& connection_string,
                        const db::CallLimits& limits);

// The INSERT of one audit row with identifier `identifier`.
std::string AuditInsertStatement(const std::string& database_kind, int32_t identifier,
                                 int32_t table_code, int32_t action_code, int32_t user,
                                 int32_t record_id);

}  // namespace tpl

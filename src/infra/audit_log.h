// The audit log LOG_SISTEMA: one row per audited action, with its own
// identifier drawn from the LOG_SISTEMA_ID counter of infra_ids.
#pragma once

#include <cstdint>
#include <string>

namespace tpl {

// Writes one audit row. Database errors never reach the caller (the row is
// then simply not written); false only when infra_ids is empty, with
// result code 10 and its message.
bool gGrava_Log_Sistema(const std::string& database_kind, int32_t& table_code,
                        int32_t& action_code, int32_t& user, int32_t& record_id,
                        int32_t& result_code, std::string& message,
                        const std::string& connection_string);

// The INSERT of one audit row with identifier `identifier`.
std::string AuditInsertStatement(const std::string& database_kind, int32_t identifier,
                                 int32_t table_code, int32_t action_code, int32_t user,
                                 int32_t record_id);

}  // namespace tpl

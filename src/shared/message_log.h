// Writer of the message log LOG_MSG: one row per message, the text cut
// into five pieces of 255 characters. It never fails towards its caller:
// whatever goes wrong inside, nothing is raised and the caller carries on.
#pragma once

#include <string>

#include "tpl/variant.h"

namespace tpl {

// Message type written by every error trap.
inline constexpr int32_t kErrorMessageType = 1;

void gGrava_Log_Msg(const Variant& database_kind, const Variant& connection_string,
                    const Variant& user, const Variant& message_type, const Variant& text);

// The INSERT statement the writer runs, or the empty text when nothing is
// to be written (no Database kind or connection string, or a text that is
// empty once filtered).
std::string MessageLogStatement(const Variant& database_kind, const Variant& connection_string,
                                const Variant& user, const Variant& message_type,
                                const Variant& text);

}  // namespace tpl

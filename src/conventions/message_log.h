// Writer of the message log LOG_MSG: one row per message, the text cut
// into five pieces of 255 characters. It never fails towards its caller:
// whatever goes wrong inside, nothing is raised and the caller carries on.
#pragma once

#include <string>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// Message type written by every error trap.
inline constexpr int32_t kErrorMessageType = 1;

// Writes one row from work outside any call (the job worker's own log):
// its session has no lock-wait budget (database/call_limits.h).
void gGrava_Log_Msg(const Variant& database_kind, const Variant& connection_string,
                    const Variant& user, const Variant& message_type, const Variant& text);

// The same for a routine of a call: the call's connection string, user and
// limits, and the row is held back while the call holds the log
// (MessageLogHold).
void gGrava_Log_Msg(const CallContext& call, const Variant& database_kind,
                    const Variant& message_type, const Variant& text);

// While a MessageLogHold of a call lives, gGrava_Log_Msg keeps the rows the
// call would write and writes them when the call's outermost hold ends. A
// call that keeps a transaction open takes one before it opens its
// connection, so that the rows its traps log are written once the
// transaction has ended: the embedded database admits one writer at a
// time, and a row sent from another session meanwhile would wait for the
// transaction's lock and be lost. The rows are written whether the
// transaction committed or not.
class MessageLogHold {
 public:
  explicit MessageLogHold(const CallContext& call) noexcept;
  ~MessageLogHold();
  MessageLogHold(const MessageLogHold&) = delete;
  MessageLogHold& operator=(const MessageLogHold&) = delete;

 private:
  HeldLogRows& held_;
  db::CallLimits limits_;
};

// The INSERT statement the writer runs, or the empty text when nothing is
// to be written (no Database kind or connection string, or a text that is
// empty once filtered).
std::string MessageLogStatement(const Variant& database_kind, const Variant& connection_string,
                                const Variant& user, const Variant& message_type,
                                const Variant& text);

}  // namespace tpl

// What every routine of one call receives from the public method that
// began it: the connection string, the calling user, the Database kind and
// the caller's message slot, together with the state that belongs to the
// call and to no thread.
//
// The public methods take these four as loose by-reference parameters, in
// orders of their own (the job methods put the Database kind first, the
// document lookup its message slot last). The frame gathers them once per
// call into a CallContext, and the routines below take the context: a
// routine cannot be handed the user where it expects the connection.
//
// The connection string, user and Database kind are the call's inputs and
// are copied; the message slot is the caller's own, so a sentence a routine
// leaves there reaches the host's variable as before.
//
// The call's own state:
// - its database limits (database/call_limits.h): the lock-wait
//   budget that lets a call wait for a lock the full limit only once. The
//   routines pass them to every connection they open (limits()), on
//   whatever thread; a routine that makes a context of its own inside a
//   call passes the call's limits to it, and so shares the budget.
// - the message-log rows held back while the call keeps a transaction
//   open (MessageLogHold, conventions/message_log.h).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "database/call_limits.h"
#include "tpl/variant.h"

namespace tpl {

// Message-log rows held back by a MessageLogHold: statement and connection
// string of each, in the order they were logged.
struct HeldLogRows {
  std::mutex mutex;
  int holds = 0;
  std::vector<std::pair<std::string, std::string>> rows;
};

class CallContext {
 public:
  // A new call, with limits of its own.
  CallContext(const Variant& connection_string, const Variant& user, const Variant& database_kind,
              Variant& message);
  // A context of its own for a routine that works inside a call (its
  // values and message slot are not the call's): it shares the call's
  // limits, and holds its own log rows.
  CallContext(const Variant& connection_string, const Variant& user, const Variant& database_kind,
              Variant& message, const db::CallLimits& limits);
  // The same call (its state and message slot) with its values in another
  // form: the job routines work with typed copies (the user as a Long, the
  // texts as texts) and log and report with those.
  CallContext(const CallContext& call, const Variant& connection_string, const Variant& user,
              const Variant& database_kind);
  // The same call with a message slot of its own, for a step whose message
  // is not the caller's (the failure is still logged).
  CallContext(const CallContext& call, Variant& message);
  CallContext(const CallContext&) = delete;
  CallContext& operator=(const CallContext&) = delete;

  const Variant& connection_string() const noexcept { return connection_string_; }
  const Variant& user() const noexcept { return user_; }
  const Variant& database_kind() const noexcept { return database_kind_; }
  Variant& message() const noexcept { return *message_; }

  // What every connection the call opens is given.
  const db::CallLimits& limits() const noexcept { return state_->limits; }
  HeldLogRows& held_log() const noexcept { return state_->held_log; }

 private:
  struct State {
    explicit State(const db::CallLimits& call_limits) : limits(call_limits) {}
    db::CallLimits limits;
    HeldLogRows held_log;
  };

  Variant connection_string_;
  Variant user_;
  Variant database_kind_;
  Variant* message_;
  std::shared_ptr<State> state_;
};

}  // namespace tpl

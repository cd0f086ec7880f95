#include "database/call_limits.h"

namespace tpl::db {
namespace {

// Two things stay per thread, and neither is a call's state: the values a
// thread uses outside any call (process configuration; tests shorten them
// on their own thread), and which call the thread is working for now.
thread_local SessionLimits thread_values;
thread_local CallLimits* current_call = nullptr;

}  // namespace

CallLimits::CallLimits() noexcept : values_(CurrentSessionLimits()) {}

CallLimits::Use::Use(CallLimits& limits) noexcept : previous_(current_call) {
  current_call = &limits;
}

CallLimits::Use::~Use() { current_call = previous_; }

CallLimits* CurrentCallLimits() noexcept { return current_call; }

const SessionLimits& CurrentSessionLimits() noexcept {
  return current_call != nullptr ? current_call->values() : thread_values;
}

SessionLimits& ThreadSessionLimits() noexcept { return thread_values; }

}  // namespace tpl::db

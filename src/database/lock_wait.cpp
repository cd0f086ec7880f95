#include "database/lock_wait.h"

namespace tpl::db {
namespace {

// All of it per thread: a call runs on one thread, and calls on other
// threads have budgets of their own.
struct LockWaitState {
  bool in_call = false;
  bool spent = false;
  int waits_run_out = 0;
  std::chrono::milliseconds limit = kLockWaitLimit;
};

LockWaitState& State() noexcept {
  thread_local LockWaitState state;
  return state;
}

}  // namespace

CallLockScope::CallLockScope() noexcept : outermost_(!State().in_call) {
  if (!outermost_) return;
  State().in_call = true;
  State().spent = false;
}

CallLockScope::~CallLockScope() {
  if (!outermost_) return;
  State().in_call = false;
  State().spent = false;
}

bool LockWaitAllowed() noexcept { return !State().spent; }

std::chrono::milliseconds LockWaitLimit() noexcept { return State().limit; }

void NoteLockWaitRanOut() noexcept {
  ++State().waits_run_out;
  if (State().in_call) State().spent = true;
}

#ifdef TPL_TESTABLE
LockWaitLimitForTesting::LockWaitLimitForTesting(std::chrono::milliseconds limit) noexcept
    : start_count_(State().waits_run_out) {
  State().limit = limit;
}

LockWaitLimitForTesting::~LockWaitLimitForTesting() { State().limit = kLockWaitLimit; }

int LockWaitLimitForTesting::waits_run_out() const noexcept {
  return State().waits_run_out - start_count_;
}
#endif

}  // namespace tpl::db

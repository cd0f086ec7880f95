#include "database/lock_wait.h"

namespace tpl::db {
namespace {

// A count for tests only: how many waits ran out on this thread.
thread_local int waits_run_out_here = 0;

}  // namespace

bool LockWaitAllowed(const CallLimits& call) noexcept { return call.LockWaitAllowed(); }

std::chrono::milliseconds LockWaitLimit(const CallLimits& call) noexcept {
  return call.values().lock_wait;
}

void NoteLockWaitRanOut(const CallLimits& call) noexcept {
  ++waits_run_out_here;
  call.NoteLockWaitRanOut();
}

#ifdef TPL_TESTABLE
LockWaitLimitForTesting::LockWaitLimitForTesting(std::chrono::milliseconds limit) noexcept
    : previous_(ThreadSessionLimits().lock_wait), start_count_(waits_run_out_here) {
  ThreadSessionLimits().lock_wait = limit;
}

LockWaitLimitForTesting::~LockWaitLimitForTesting() { ThreadSessionLimits().lock_wait = previous_; }

int LockWaitLimitForTesting::waits_run_out() const noexcept {
  return waits_run_out_here - start_count_;
}
#endif

}  // namespace tpl::db

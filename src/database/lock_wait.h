// How long a session waits for a lock that another session holds.
//
// A session that finds the database locked waits for the lock, up to the
// wait limit (15 s). A call runs many short sessions one after another
// (parameter lookups, the generation log, the query, the message log of a
// failure): if each of them waited the full limit behind the same lock, a
// report would take minutes to fail. So a call waits the full limit at most
// once: after one wait has run out, every later session of the same call
// that meets a lock gives up at once. The budget is that of the CallLimits
// the session was opened with (call_limits.h), whatever thread runs it;
// outside any call every wait may take the full limit.
#pragma once

#include <chrono>

#include "database/call_limits.h"

namespace tpl::db {

// For the providers: whether a session working for `call` that meets a
// lock may still wait, how long, and that a wait ran out.
bool LockWaitAllowed(const CallLimits& call) noexcept;
std::chrono::milliseconds LockWaitLimit(const CallLimits& call) noexcept;
void NoteLockWaitRanOut(const CallLimits& call) noexcept;

#ifdef TPL_TESTABLE
// For tests: a shorter limit for the limits made on this thread while the
// object lives, and the number of waits that ran out on this thread since
// it was created.
class LockWaitLimitForTesting {
 public:
  explicit LockWaitLimitForTesting(std::chrono::milliseconds limit) noexcept;
  ~LockWaitLimitForTesting();
  int waits_run_out() const noexcept;

 private:
  std::chrono::milliseconds previous_;
  int start_count_;
};
#endif

}  // namespace tpl::db

// How long a call may wait for a lock that another session holds.
//
// A session that finds the database locked waits for the lock, up to the
// wait limit (15 s). A call runs many short sessions one after another
// (parameter lookups, the generation log, the query, the message log of a
// failure): if each of them waited the full limit behind the same lock, a
// report would take minutes to fail. So a call waits the full limit at most
// once: after one wait has run out, every later session of the same call
// that meets a lock gives up at once. The call is marked by a CallLockScope
// on its thread; outside any scope every wait may take the full limit.
#pragma once

#include <chrono>

namespace tpl::db {

inline constexpr std::chrono::milliseconds kLockWaitLimit{15000};

// Marks the calls of one public method on this thread. Nested scopes share
// the outermost one's budget.
class CallLockScope {
 public:
  CallLockScope() noexcept;
  ~CallLockScope();
  CallLockScope(const CallLockScope&) = delete;
  CallLockScope& operator=(const CallLockScope&) = delete;

 private:
  bool outermost_;
};

// For the providers: whether a session that meets a lock may still wait,
// how long, and that a wait ran out.
bool LockWaitAllowed() noexcept;
std::chrono::milliseconds LockWaitLimit() noexcept;
void NoteLockWaitRanOut() noexcept;

#ifdef TPL_TESTABLE
// For tests: a shorter limit while the object lives, and the number of
// waits that ran out on this thread since it was created.
class LockWaitLimitForTesting {
 public:
  explicit LockWaitLimitForTesting(std::chrono::milliseconds limit) noexcept;
  ~LockWaitLimitForTesting();
  int waits_run_out() const noexcept;

 private:
  int start_count_;
};
#endif

}  // namespace tpl::db

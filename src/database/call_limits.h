// The limits one call's database sessions are opened and run with, and the
// part of them that the call uses up.
//
// A public method of TPL is one call. Its sessions wait for a lock held
// elsewhere (lock_wait.h), log in to a server within a time-out, and treat a
// server whose log-in timed out as unreachable for a while
// (connection_pool.h). The values are the same for every call of a process;
// what belongs to one call is the lock-wait budget: once one wait of the
// call has run out, its later sessions give up at once.
//
// The limits travel as an argument: whoever opens a connection passes them
// (Connection::Open, Recordset::Open), the pool hands them to the session
// it serves, and the session keeps them for as long as it works for that
// caller. The call's context (above this layer) makes the call's limits
// once; every copy shares its budget, so a session opened on another
// thread with the context's limits spends the same budget. Work outside
// any call passes CallLimits::OutsideAnyCall(): the same values, and no
// budget, every wait may take the full limit.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

namespace tpl::db {

inline constexpr std::chrono::milliseconds kLockWaitLimit{15000};
// The platform's default log-in time-out.
inline constexpr std::chrono::seconds kLoginTimeout{15};
// How long a connection string stays unreachable after a log-in timed out.
inline constexpr std::chrono::seconds kUnreachableWindow{30};

struct SessionLimits {
  std::chrono::milliseconds lock_wait = kLockWaitLimit;
  std::chrono::seconds login_timeout = kLoginTimeout;
  std::chrono::steady_clock::duration unreachable_window = kUnreachableWindow;
};

// A handle: copies are cheap and share the budget of the call they were
// made for.
class CallLimits {
 public:
  // A new call, with the whole budget.
  static CallLimits ForNewCall();
  // Work that belongs to no call (the worker's own queries, tpl init-db,
  // tools): no budget.
  static CallLimits OutsideAnyCall() noexcept;

  const SessionLimits& values() const noexcept { return values_; }
  // Whether a session that meets a lock may still wait: always outside a
  // call, and within one until a wait of the call has run out.
  bool LockWaitAllowed() const noexcept { return spent_ == nullptr || !spent_->load(); }
  void NoteLockWaitRanOut() const noexcept {
    if (spent_ != nullptr) spent_->store(true);
  }

 private:
  explicit CallLimits(std::shared_ptr<std::atomic<bool>> spent) noexcept;

  SessionLimits values_;
  // Atomic: a call's sessions may run on two threads at once. None outside
  // a call.
  std::shared_ptr<std::atomic<bool>> spent_;
};

#ifdef TPL_TESTABLE
// The values that limits made on this thread start from. Only tests change
// them (the …ForTesting classes); a release build has no such state and
// every call takes the values above.
SessionLimits& ThreadSessionLimits() noexcept;
#endif

}  // namespace tpl::db

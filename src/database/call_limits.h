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
// The call's context (above this layer) owns a CallLimits and puts it in
// force on the thread that does the call's work (CallLimits::Use); work the
// call hands to another thread puts the same object in force there, so the
// budget is the call's wherever its sessions run. Outside any call a thread
// works with its own values and without a budget.
#pragma once

#include <atomic>
#include <chrono>

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

class CallLimits {
 public:
  // The values in force on this thread when the call begins (the defaults,
  // or what a test asked for), with the whole budget.
  CallLimits() noexcept;
  CallLimits(const CallLimits&) = delete;
  CallLimits& operator=(const CallLimits&) = delete;

  const SessionLimits& values() const noexcept { return values_; }
  bool LockWaitAllowed() const noexcept { return !lock_wait_spent_.load(); }
  void NoteLockWaitRanOut() noexcept { lock_wait_spent_.store(true); }

  // While one lives, `limits` governs the sessions this thread opens and
  // runs; the limits in force before come back when it ends.
  class Use {
   public:
    explicit Use(CallLimits& limits) noexcept;
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    CallLimits* previous_;
  };

 private:
  SessionLimits values_;
  // Atomic: a call's work may run on two threads at once.
  std::atomic<bool> lock_wait_spent_{false};
};

// For the pool and the providers: the call whose limits are in force on
// this thread (none outside a call), and the values in force.
CallLimits* CurrentCallLimits() noexcept;
const SessionLimits& CurrentSessionLimits() noexcept;

// The values of this thread outside any call, which a new call starts
// from. Only tests change them (the …ForTesting classes).
SessionLimits& ThreadSessionLimits() noexcept;

}  // namespace tpl::db

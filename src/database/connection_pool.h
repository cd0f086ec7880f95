// The sessions kept open between one Connection and the next.
//
// The routines above open a connection, run a statement or two and close
// it again, many times per call: a report shown on screen opens eight.
// Over ODBC each would be a full network log-in. So, as the platform under
// the original system did, Connection::Open takes a session from this pool
// and Connection::Close hands it back; the routines still see a connection
// of their own that opens and closes.
//
// A session handed back is kept only when it can serve the next caller as
// a fresh one would: the provider rolls back what is open and resets the
// session (Provider::ResetForReuse), and a session that failed is closed
// instead (Provider::IsBroken). A kept session is asked again before it is
// handed out, so a database file replaced or removed in the meantime is
// never served from the old handle. Idle sessions are bounded in number,
// per connection string and in all, and in time: one idle for longer than
// the limit is closed rather than reused.
//
// A server that takes connections and never answers costs a log-in
// time-out per session, and a call opens several sessions. So a log-in that
// timed out marks its connection string as unreachable for a short window:
// until it ends, every new session on that string fails at once with the
// same error. The first session after the window tries again.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/call_limits.h"
#include "database/provider.h"

namespace tpl::db {

#ifdef TPL_TESTABLE
// For tests: another window for the limits made on this thread while the
// object lives.
class UnreachableWindowForTesting {
 public:
  explicit UnreachableWindowForTesting(std::chrono::steady_clock::duration window) noexcept;
  ~UnreachableWindowForTesting();
  UnreachableWindowForTesting(const UnreachableWindowForTesting&) = delete;
  UnreachableWindowForTesting& operator=(const UnreachableWindowForTesting&) = delete;

 private:
  std::chrono::steady_clock::duration previous_;
};
#endif

struct ConnectionPoolLimits {
  size_t idle_per_connection_string = 8;
  size_t idle_in_all = 32;
  // The platform's pools closed a session after 60 idle seconds.
  std::chrono::steady_clock::duration idle_time = std::chrono::seconds(60);
};

class ConnectionPool {
 public:
  // The pool of the process, used by every Connection.
  static ConnectionPool& Shared();

  ConnectionPool() = default;
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;
  ~ConnectionPool() { Clear(); }

  // A session on `connection_string` that works for `call` until it is
  // handed back: the most recently used idle one that can still serve, or a
  // new one opened with the call's limits (which raises on failure). While
  // the string is marked unreachable, raises the log-in failure that marked
  // it; a log-in that times out marks it for the call's window.
  std::unique_ptr<Provider> Take(const std::string& connection_string, const CallLimits& call);

  // Takes a session back after use: kept, working for no call, when it can
  // serve again and the limits allow; closed otherwise.
  void HandBack(const std::string& connection_string, std::unique_ptr<Provider> session) noexcept;

  // Closes every idle session and forgets the unreachable marks.
  void Clear() noexcept;

  // Limits of 0 sessions turn the pool off: every Take opens a session and
  // every HandBack closes it. Idle sessions beyond new limits are closed.
  void SetLimits(const ConnectionPoolLimits& limits) noexcept;
  ConnectionPoolLimits limits() const;

  // What the pool has done since it was made, for tests and benchmarks.
  struct Counts {
    size_t opened = 0;     // new sessions
    size_t reused = 0;     // idle sessions handed out again
    size_t discarded = 0;  // sessions closed instead of kept or handed out
    size_t idle = 0;       // sessions idle now
  };
  Counts counts() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct IdleSession {
    std::unique_ptr<Provider> session;
    Clock::time_point since;
  };
  struct Unreachable {
    Clock::time_point until;
    RuntimeError failure;
  };

  // A new session, or the failure of the log-in that marked the string.
  std::unique_ptr<Provider> Open(const std::string& connection_string, const CallLimits& call);

  // Moves sessions idle for too long, and the oldest beyond the limits, to
  // `closing`; the caller closes them after unlocking, as closing a network
  // session may take time. Called with the mutex held.
  void Trim(Clock::time_point now, std::vector<std::unique_ptr<Provider>>& closing);

  mutable std::mutex mutex_;
  ConnectionPoolLimits limits_;
  std::unordered_map<std::string, std::vector<IdleSession>> idle_;  // oldest first
  size_t idle_count_ = 0;
  std::unordered_map<std::string, Unreachable> unreachable_;
  Counts counts_;
};

}  // namespace tpl::db

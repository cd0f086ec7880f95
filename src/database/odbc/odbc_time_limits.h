// The two time limits of an ODBC session.
//
// Log-in: a server that accepts the connection and then never answers
// would hold SQLDriverConnect for as long as the operating system keeps the
// socket open, minutes. Every session therefore asks the driver for the
// log-in time-out of the call that opens it (database/call_limits.h: 15 s,
// the platform's default), so that an unreachable or silent server fails
// the call in about that time.
//
// Command: the time-out a caller gives a command is handed to the driver
// (SQL_ATTR_QUERY_TIMEOUT). A driver may refuse it, loudly (SQLSTATE 01S02,
// "option value changed") or silently (the SQLite driver accepts any value
// and keeps 0). The value is therefore read back, and when the driver kept
// no limit, or a longer one, a watchdog thread cancels the statement
// (SQLCancel) once the time is up. A command never runs without the limit
// its caller asked for.
#pragma once

#include <sql.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "database/call_limits.h"

namespace tpl::db::odbc {

using db::kLoginTimeout;

#ifdef TPL_TESTABLE
// For tests: a shorter log-in time-out for the limits made on this thread
// while the object lives.
class LoginTimeoutForTesting {
 public:
  explicit LoginTimeoutForTesting(std::chrono::seconds limit) noexcept;
  ~LoginTimeoutForTesting();
  LoginTimeoutForTesting(const LoginTimeoutForTesting&) = delete;
  LoginTimeoutForTesting& operator=(const LoginTimeoutForTesting&) = delete;

 private:
  std::chrono::seconds previous_;
};
#endif

// The time-out of one statement, from before it runs until its last result
// has been read. A limit of 0 (or less) sets none.
class StatementTimeLimit {
 public:
  StatementTimeLimit(SQLHSTMT statement, int32_t seconds);
  StatementTimeLimit(const StatementTimeLimit&) = delete;
  StatementTimeLimit& operator=(const StatementTimeLimit&) = delete;
  // Stops the watchdog, if one runs, and waits for it.
  ~StatementTimeLimit();

  // True once the watchdog has cancelled the statement: whatever the driver
  // then reports, the command ran out of time.
  bool cancelled() const noexcept;
  // While one lives, the watchdog's clock stands still: the time a caller
  // spends on rows already fetched is no time of the statement's. (A limit
  // the driver keeps counts each call to it alone.)
  class Paused {
   public:
    explicit Paused(StatementTimeLimit& limit) noexcept;
    Paused(const Paused&) = delete;
    Paused& operator=(const Paused&) = delete;
    ~Paused();

   private:
    StatementTimeLimit& limit_;
    std::chrono::steady_clock::time_point started_;
  };
  // True when the driver did not keep the limit and the watchdog enforces it.
  bool watched() const noexcept { return watchdog_.joinable(); }

 private:
  void Watch() noexcept;

  SQLHSTMT statement_;
  mutable std::mutex mutex_;
  std::condition_variable finished_signal_;
  bool finished_ = false;
  bool cancelled_ = false;
  bool paused_ = false;
  std::chrono::steady_clock::time_point deadline_;
  std::thread watchdog_;
};

}  // namespace tpl::db::odbc

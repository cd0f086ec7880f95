// The time-out of a command: while a deadline is alive, SQLite's progress
// handler checks the clock every few thousand virtual-machine steps and
// interrupts the running statement (SQLITE_INTERRUPT) once the time is up.
// Waiting for another process's lock is bounded by the busy timeout instead.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>

namespace tpl::db::sqlite {

class StatementDeadline {
 public:
  // A limit of 0 (or less) sets no deadline.
  StatementDeadline(sqlite3* connection, int32_t seconds);
  StatementDeadline(const StatementDeadline&) = delete;
  StatementDeadline& operator=(const StatementDeadline&) = delete;
  ~StatementDeadline();

  // True once the handler has interrupted a statement.
  bool expired() const noexcept { return expired_; }

 private:
  static int OnProgress(void* self) noexcept;

  sqlite3* connection_;
  std::chrono::steady_clock::time_point deadline_;
  bool active_ = false;
  bool expired_ = false;
};

}  // namespace tpl::db::sqlite

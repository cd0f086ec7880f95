// Whose turn it is to write, among the sessions of this process on one
// database file.
//
// SQLite lets one session write at a time. A session that finds the write
// lock taken is told "busy" and can only try again later: its busy handler
// sleeps and polls. Under many writers that is neither fast nor fair: a
// sleeper misses the moment the lock comes free, and a newcomer may take it
// before those that have waited longest. So a session of this process
// first takes its turn here before it begins a write transaction (BEGIN
// IMMEDIATE), and keeps it until the transaction ends: the sessions of one
// process queue in the order they asked, and each is woken the moment the
// one before it ends. Other processes are not seen here; against them the
// busy handler still polls, in short sleeps.
//
// Waiting for a turn counts against the lock-wait budget of the call the
// session works for (database/lock_wait.h) exactly like waiting for
// SQLite's lock: at most the limit, and not at all once a wait of the call
// has run out.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <optional>

#include "database/call_limits.h"

namespace tpl::db::sqlite {

class WriterQueue;

// The turn of one session: taken by Take, given back by Release or by the
// destructor. Not copyable; the turn may be given back on any thread.
class WriterTurn {
 public:
  WriterTurn() noexcept = default;
  WriterTurn(const WriterTurn&) = delete;
  WriterTurn& operator=(const WriterTurn&) = delete;
  ~WriterTurn() { Release(); }

  // Waits for the turn on the connection's main file. Raises SQLITE_BUSY
  // ("database is locked") when the wait limit of `call` runs out first,
  // or at once when the call may no longer wait. Holding the turn already
  // does nothing.
  void Take(sqlite3* connection, const CallLimits& call);
  void Release() noexcept;
  bool held() const noexcept { return queue_ != nullptr; }

 private:
  WriterQueue* queue_ = nullptr;
};

// Takes the session's turn and begins its write transaction (BEGIN
// IMMEDIATE), waiting as `call` allows; on failure the turn is given back
// and the error raised. The caller gives the turn back once the
// transaction has ended.
void BeginWriting(sqlite3* connection, WriterTurn& turn, const CallLimits& call);

// When the lock wait of this thread's BeginWriting began, if it had to wait
// for its turn: the busy handler counts that time as already waited.
std::optional<std::chrono::steady_clock::time_point> TurnWaitStartedOnThisThread() noexcept;

}  // namespace tpl::db::sqlite

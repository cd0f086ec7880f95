// The embedded database provider: one session on a SQLite file that
// understands the SQL Server and Oracle texts the library sends (EXEC
// calls, session SET options, GETDATE, ISNULL, NVL, SYSDATE, TO_DATE) and
// runs the stored procedures kept in the database itself.
//
// Besides the provider, this is what every part of it shares about its
// session: the owning handles of the SQLite objects, the translation of
// SQLite result codes into the library's RuntimeError, the opening of a
// connection with the settings every session needs, and the scope that
// makes a group of statements all-or-nothing.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "database/provider.h"
#include "database/sqlite/writer_turns.h"

namespace tpl::db {

// Opens an existing database file; a missing file is an error. Several
// processes may work on one file: a locked database is waited for as the
// limits of the session's call allow (database/lock_wait.h) before a
// statement fails.
std::unique_ptr<Provider> OpenSqliteProvider(const std::string& file, const CallLimits& call);

}  // namespace tpl::db

namespace tpl::db::sqlite {

// ---- Owning handles: a connection is closed, a statement finalized and a
// copied value freed when its handle goes away.

struct ConnectionCloser {
  // close_v2 defers the close until the last statement is finalized, and
  // rolls back a transaction left open.
  void operator()(sqlite3* connection) const noexcept { sqlite3_close_v2(connection); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
struct ValueFreer {
  void operator()(sqlite3_value* value) const noexcept { sqlite3_value_free(value); }
};

using SqliteConnection = std::unique_ptr<sqlite3, ConnectionCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
using SqliteValue = std::unique_ptr<sqlite3_value, ValueFreer>;

// ---- Errors: the number of a RuntimeError is SQLite's extended result
// code, its description SQLite's message.

// Raised when a procedure named in a command does not exist; the number is
// the one SQL Server gives the same failure, so callers see one number
// whichever database they talk to.
inline constexpr int32_t kUnknownProcedure = 2812;

// Raises the error that `result_code` reports. The message is taken from
// the connection when it reports the same failure; `context`, when given,
// is put before it ("context: message").
[[noreturn]] void RaiseSqliteError(sqlite3* connection, int result_code,
                                   std::string_view context = {});

// Raises a failure of this layer's own (a malformed text, an unknown name)
// with SQLITE_ERROR as its number.
[[noreturn]] void RaiseSqlError(std::string_view description);

inline void CheckSqlite(sqlite3* connection, int result_code, std::string_view context = {}) {
  if (result_code != SQLITE_OK) RaiseSqliteError(connection, result_code, context);
}

// ---- The session

// Opens an existing file for reading and writing; raises an error when the
// file is missing or is not a database. The connection reports extended
// result codes, waits on locks held by other processes, enforces foreign
// keys and knows the SQL Server and Oracle functions of sql_dialect.h. On a
// file in WAL mode a commit does not wait for the disk (synchronous =
// NORMAL): the database stays whole after a crash of the machine, though
// the last commits before it may be lost. A lock is waited for as `call`
// allows at the moment it is met: the object is read then, so it must
// outlive the connection, and may change between statements (a pooled
// session working for another call).
SqliteConnection OpenSqliteSession(const std::string& file, const CallLimits& call);

// Makes a group of statements all-or-nothing. Outside a transaction it
// takes the session's writer turn and opens an immediate transaction
// (taking the write lock at once, so that a read-then-update cannot
// interleave with another session); inside the
// caller's transaction it opens a savepoint, so that only the group is
// undone. Unless Commit is called, the destructor undoes the group.
class AtomicScope {
 public:
  // Waits for the writer turn as `call` allows.
  AtomicScope(sqlite3* connection, const CallLimits& call);
  AtomicScope(const AtomicScope&) = delete;
  AtomicScope& operator=(const AtomicScope&) = delete;
  ~AtomicScope();

  void Commit();

 private:
  sqlite3* connection_;
  bool savepoint_;
  bool open_ = true;
  WriterTurn turn_;
};

}  // namespace tpl::db::sqlite

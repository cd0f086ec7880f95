#include "platform/sqlite/atomic_scope.h"

#include "platform/sqlite/sqlite_statement.h"

namespace tpl::db::sqlite {

AtomicScope::AtomicScope(sqlite3* connection)
    : connection_(connection), savepoint_(sqlite3_get_autocommit(connection) == 0) {
  ExecuteScript(connection_, savepoint_ ? "SAVEPOINT tpl_atomic_scope" : "BEGIN IMMEDIATE");
}

void AtomicScope::Commit() {
  ExecuteScript(connection_, savepoint_ ? "RELEASE tpl_atomic_scope" : "COMMIT");
  open_ = false;
}

AtomicScope::~AtomicScope() {
  if (!open_) return;
  // An interrupted or failed statement may already have ended the whole
  // transaction; the results are ignored, a destructor cannot report them.
  if (savepoint_) {
    sqlite3_exec(connection_, "ROLLBACK TO tpl_atomic_scope; RELEASE tpl_atomic_scope", nullptr, nullptr, nullptr);
  } else if (sqlite3_get_autocommit(connection_) == 0) {
    sqlite3_exec(connection_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

}  // namespace tpl::db::sqlite

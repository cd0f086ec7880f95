#include "platform/sqlite/sqlite_session.h"

#include "platform/sqlite/sql_dialect.h"
#include "platform/sqlite/sqlite_error.h"
#include "platform/sqlite/sqlite_statement.h"

namespace tpl::db::sqlite {

SqliteConnection OpenSqliteSession(const std::string& file) {
  const std::string context = "Banco de dados '" + file + "'";
  sqlite3* raw = nullptr;
  // Without SQLITE_OPEN_CREATE a missing file fails instead of being
  // silently created empty.
  const int result = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  SqliteConnection connection(raw);
  if (connection == nullptr) RaiseSqliteError(nullptr, SQLITE_NOMEM, context);
  CheckSqlite(connection.get(), result, context);

  sqlite3_extended_result_codes(connection.get(), 1);
  sqlite3_busy_timeout(connection.get(), kBusyTimeoutMilliseconds);
  // Reading the schema now reports a file that is not a database here
  // rather than at the first command.
  ExecuteScript(connection.get(), "PRAGMA foreign_keys = ON; PRAGMA schema_version;", context);
  RegisterDialectFunctions(connection.get());
  return connection;
}

}  // namespace tpl::db::sqlite

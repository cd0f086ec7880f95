#include "platform/sqlite/sqlite_statement.h"

#include <string>

#include "platform/sqlite/sqlite_provider.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {

SqliteStatement PrepareFirst(sqlite3* connection, std::string_view sql, std::string_view& rest) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  const int result = sqlite3_prepare_v2(connection, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
  SqliteStatement statement(raw);
  CheckSqlite(connection, result);
  rest = sql.substr(static_cast<size_t>(tail - sql.data()));
  return statement;
}

SqliteStatement Prepare(sqlite3* connection, std::string_view sql) {
  std::string_view rest;
  SqliteStatement statement = PrepareFirst(connection, sql, rest);
  if (statement == nullptr) RaiseSqlError("Comando SQL vazio");
  return statement;
}

void StepToEnd(sqlite3* connection, sqlite3_stmt* statement) {
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
  }
  if (result != SQLITE_DONE) RaiseSqliteError(connection, result);
}

void ExecuteScript(sqlite3* connection, std::string_view script, std::string_view context) {
  try {
    while (!script.empty()) {
      SqliteStatement statement = PrepareFirst(connection, script, script);
      if (statement != nullptr) StepToEnd(connection, statement.get());
    }
  } catch (const RuntimeError& error) {
    if (context.empty()) throw;
    throw RuntimeError(error.number(), std::string(context) + ": " + error.description());
  }
}

}  // namespace tpl::db::sqlite

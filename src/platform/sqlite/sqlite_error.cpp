#include "platform/sqlite/sqlite_error.h"

#include <string>

#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {

void RaiseSqliteError(sqlite3* connection, int result_code, std::string_view context) {
  int number = result_code;
  std::string message = sqlite3_errstr(result_code);
  // The connection's own message is more precise ("no such table: X"), but
  // only when its last failure is the one being reported.
  if (connection != nullptr && (sqlite3_extended_errcode(connection) & 0xff) == (result_code & 0xff)) {
    number = sqlite3_extended_errcode(connection);
    message = sqlite3_errmsg(connection);
  }
  std::string description(context);
  if (!description.empty()) description += ": ";
  description += message;
  throw RuntimeError(number, std::move(description));
}

void RaiseSqlError(std::string_view description) {
  throw RuntimeError(SQLITE_ERROR, std::string(description));
}

}  // namespace tpl::db::sqlite

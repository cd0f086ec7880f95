// Translation of SQLite result codes into the library's RuntimeError: the
// number is the extended result code, the description SQLite's message.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

namespace tpl::db::sqlite {

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

}  // namespace tpl::db::sqlite

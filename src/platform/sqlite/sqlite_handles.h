// Owning handles of the SQLite objects: a connection is closed, a statement
// finalized and a copied value freed when its handle goes away.
#pragma once

#include <sqlite3.h>

#include <memory>

namespace tpl::db::sqlite {

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

}  // namespace tpl::db::sqlite

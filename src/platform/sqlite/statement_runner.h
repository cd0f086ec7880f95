// Runs the SQLite statements of a text one after the other. A statement
// that returns rows (SELECT, PRAGMA, ... RETURNING) adds a row set to the
// results even when it has no row; the others add none.
#pragma once

#include <sqlite3.h>

#include <string_view>
#include <vector>

#include "platform/database/provider.h"

namespace tpl::db::sqlite {

// Supplies the values of a statement's parameters just before it runs,
// and learns when it has run.
class StatementBinder {
 public:
  virtual void Bind(sqlite3_stmt* statement) = 0;
  virtual void Finished(sqlite3_stmt*) {}

 protected:
  ~StatementBinder() = default;
};

void RunStatements(sqlite3* connection, std::string_view sql, StatementBinder& binder,
                   std::vector<ResultSet>& results);

}  // namespace tpl::db::sqlite

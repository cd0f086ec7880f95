#include "platform/sqlite/statement_runner.h"

#include "platform/sqlite/result_reader.h"
#include "platform/sqlite/sqlite_statement.h"

namespace tpl::db::sqlite {

void RunStatements(sqlite3* connection, std::string_view sql, StatementBinder& binder,
                   std::vector<ResultSet>& results) {
  while (!sql.empty()) {
    SqliteStatement statement = PrepareFirst(connection, sql, sql);
    if (statement == nullptr) continue;
    binder.Bind(statement.get());
    if (sqlite3_column_count(statement.get()) > 0) {
      results.push_back(ReadRows(connection, statement.get()));
    } else {
      StepToEnd(connection, statement.get());
    }
    binder.Finished(statement.get());
  }
}

}  // namespace tpl::db::sqlite

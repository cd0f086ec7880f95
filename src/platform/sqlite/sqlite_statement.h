// Preparing and stepping statements with errors raised as RuntimeError.
#pragma once

#include <string_view>

#include "platform/sqlite/sqlite_provider.h"

namespace tpl::db::sqlite {

// Prepares the first statement of `sql` and sets `rest` to the text after
// it. The handle is empty when `sql` holds only blanks and comments.
SqliteStatement PrepareFirst(sqlite3* connection, std::string_view sql, std::string_view& rest);

// Prepares a text that holds exactly one statement.
SqliteStatement Prepare(sqlite3* connection, std::string_view sql);

// Steps until the statement has no more rows, discarding them.
void StepToEnd(sqlite3* connection, sqlite3_stmt* statement);

// Runs every statement of a script in order, discarding rows.
void ExecuteScript(sqlite3* connection, std::string_view script, std::string_view context = {});

}  // namespace tpl::db::sqlite

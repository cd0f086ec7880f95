// Opening of a connection to the embedded database with the settings every
// session needs: extended result codes, a wait on locks held by other
// processes, foreign keys enforced, and the SQL Server and Oracle
// functions of sql_dialect.h.
#pragma once

#include <string>

#include "platform/sqlite/sqlite_handles.h"

namespace tpl::db::sqlite {

// How long a statement waits for a lock held by another connection before
// it fails with SQLITE_BUSY.
inline constexpr int kBusyTimeoutMilliseconds = 15000;

// Opens an existing file for reading and writing; raises an error when the
// file is missing or is not a database.
SqliteConnection OpenSqliteSession(const std::string& file);

}  // namespace tpl::db::sqlite

// The embedded database provider: one session on a SQLite file that
// understands the SQL Server and Oracle texts the library sends (EXEC
// calls, session SET options, GETDATE, ISNULL, NVL, SYSDATE, TO_DATE) and
// runs the stored procedures kept in the database itself.
#pragma once

#include <memory>
#include <string>

#include "platform/database/provider.h"

namespace tpl::db {

// Opens an existing database file; a missing file is an error. Several
// processes may work on one file: a locked database is waited for (15 s)
// before a statement fails.
std::unique_ptr<Provider> OpenSqliteProvider(const std::string& file);

}  // namespace tpl::db

// The provider for "Driver=" and "DSN=" connection strings: a session
// through the ODBC driver manager (unixODBC), used with the SQL Server and
// Oracle drivers and tested with the SQLite one.
#pragma once

#include <memory>
#include <string>

#include "platform/database/provider.h"

namespace tpl::db {

// Connects with the connection string unchanged, never prompting; asks for
// read-uncommitted isolation (kept at the driver's default when refused)
// and works in autocommit mode outside transactions. Raises the driver
// manager's or driver's error when the connection fails.
std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connection_string);

}  // namespace tpl::db

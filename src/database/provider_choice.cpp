// Chooses the provider that serves a connection string. It lives beside the
// providers so that the access layer in database/ knows neither of them.
#include "database/connection_string.h"
#include "database/provider.h"
#include "database/odbc/odbc_provider.h"
#include "database/sqlite/sqlite_provider.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl::db {

std::unique_ptr<Provider> OpenProvider(const std::string& connection_string,
                                       const CallLimits& call) {
  // The driver manager receives ODBC connection strings exactly as given.
  if (ConnectionStringValue(connection_string, "Driver") ||
      ConnectionStringValue(connection_string, "DSN")) {
    return OpenOdbcProvider(connection_string, call);
  }
  auto provider = ConnectionStringValue(connection_string, "Provider");
  auto file = ConnectionStringValue(connection_string, "Data Source");
  if (file && !file->empty() && (!provider || UCase(*provider) == "SQLITE")) {
    return OpenSqliteProvider(*file, call);
  }
  throw RuntimeError(error::kProviderNotFound, StandardDescription(error::kProviderNotFound));
}

}  // namespace tpl::db

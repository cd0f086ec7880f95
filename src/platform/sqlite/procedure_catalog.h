// The stored procedures kept in the database, in the tables TPL_PROCEDURE
// (name and body) and TPL_PROCEDURE_PARAMETER (the declared parameters in
// order), which db/tables/tpl_procedure.sql creates.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string_view>

#include "platform/sqlite/procedure_definition.h"

namespace tpl::db::sqlite {

// Reads a procedure's source (procedure_definition.h), checks that every
// body statement prepares against the database as it stands and uses only
// declared parameters, and stores it, replacing a procedure of the same
// name. Raises an error, storing nothing, when a check fails.
void InstallProcedure(sqlite3* connection, std::string_view source);

// The procedure of that name, without case; nothing when there is none.
std::optional<ProcedureDefinition> FindProcedure(sqlite3* connection, std::string_view name);

}  // namespace tpl::db::sqlite

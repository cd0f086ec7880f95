// Reading a stored procedure of the embedded database: its name, its
// declared parameters and its body of SQLite statements (see
// db/README.md), and how it is installed in the database. How a call runs
// is in stored_procedure_running.h.
//
// The source form, as kept in db/procedures/*.sql:
//
//   -- comments
//   CREATE PROCEDURE SP_NAME
//     @pUSUARIO_ID  INTEGER,
//     @pTITULO      VARCHAR(100),
//     @pNOVO_ID     INTEGER OUTPUT
//   AS
//   statement; statement; ...
//
// The parameter list may be put between parentheses; "@" before a
// parameter name and the type are optional; OUTPUT (or OUT) marks an output
// parameter. Names are letters, digits and "_", not starting with a digit.
//
// They are kept in the tables TPL_PROCEDURE (name and body) and
// TPL_PROCEDURE_PARAMETER (the declared parameters in order), which
// db/tables/tpl_procedure.sql creates.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "database/provider.h"

namespace tpl::db::sqlite {

struct ProcedureParameter {
  std::string name;  // without "@"
  std::string type;  // as declared, "VARCHAR(100)"; may be empty
  bool output = false;
};

struct ProcedureDefinition {
  std::string name;
  std::vector<ProcedureParameter> parameters;
  std::string body;

  // The position of a parameter named without case and with or without
  // "@"; -1 when there is none.
  int IndexOf(std::string_view parameter_name) const;
};

// Reads the source form above; raises an error naming what is wrong.
ProcedureDefinition ParseProcedureSource(std::string_view source);

// Reads a procedure's source, checks that every body statement prepares
// against the database as it stands and uses only declared parameters, and
// stores it, replacing a procedure of the same name. Raises an error,
// storing nothing, when a check fails. Waits for the writer turn as `call`
// allows.
void InstallProcedure(sqlite3* connection, std::string_view source, const CallLimits& call);

// The CREATE of the table temp.params of a call: one column per parameter,
// named like it (without "@") and typed as declared. Body statements read
// the values as @name markers, bound from the row just before each
// statement runs, and may change them (UPDATE params SET pNOVO_ID = ...);
// output parameters are read back from the row at the end. Empty for a
// procedure without parameters, which has no table.
std::string ParameterTableLayout(const ProcedureDefinition& procedure);

// The declared parameter that each marker of a body statement names
// (marker n at n - 1); raises an error for a marker that names none.
std::vector<int> MarkerTargets(sqlite3_stmt* statement, const ProcedureDefinition& procedure);

}  // namespace tpl::db::sqlite

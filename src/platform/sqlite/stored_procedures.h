// The stored procedures of the embedded database: their name, their
// declared parameters and their body of SQLite statements (see
// db/README.md), how they are installed and found in the database, and how
// a call runs.
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

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database/provider.h"

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
// storing nothing, when a check fails.
void InstallProcedure(sqlite3* connection, std::string_view source);

// Runs the stored procedures called on one session. A call binds the
// caller's arguments to the declared parameters, runs the body as one
// all-or-nothing unit (a failing statement undoes every write of the call)
// and writes the output values back into the arguments.
//
// An argument with a name goes to the parameter of that name (without case,
// "@" optional); one without a name goes to the parameter at its own
// position. Parameters that receive no argument start as NULL. A call
// returns the row sets of the body's row-returning statements, in order.
//
// A procedure is read from the database at every call, so that a changed
// body takes effect at once; what is made from its text (the statements of
// its body and the parameter each marker names) is made once per process
// and shared between sessions, and the statements are prepared once per
// session and kept with it. The parameter table temp.params (see
// db/README.md) is kept on the session between calls and made again only
// when a procedure with other parameters runs, so that the session's
// prepared statements stay valid; its row lives only during a call.
class ProcedureRunner {
 public:
  // The connection must outlive the runner.
  explicit ProcedureRunner(sqlite3* connection);
  ProcedureRunner(const ProcedureRunner&) = delete;
  ProcedureRunner& operator=(const ProcedureRunner&) = delete;
  ~ProcedureRunner();

  // Raises kUnknownProcedure when no procedure has that name (without
  // case).
  std::vector<ResultSet> Run(std::string_view name, std::vector<Parameter>& arguments);

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

// How many procedure texts the process has made ready since it started,
// for tests: a procedure run again with the same text is not counted again.
size_t ProceduresMadeReady() noexcept;

}  // namespace tpl::db::sqlite

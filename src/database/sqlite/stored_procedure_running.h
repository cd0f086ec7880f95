// Running the stored procedures of the embedded database (see
// stored_procedure_reading.h for what a procedure is).
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "database/provider.h"

namespace tpl::db::sqlite {

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
// A procedure is read from the database again whenever it may have changed
// (this session wrote to the procedure tables or changed the schema, or
// another connection committed to the file), so that a changed body takes
// effect at once; what is made from its text (the statements of
// its body and the parameter each marker names) is made once per process
// and shared between sessions, and the statements are prepared once per
// session and kept with it. The parameter table temp.params (see
// db/README.md) is kept on the session between calls and made again only
// when a procedure with other parameters runs, so that the session's
// prepared statements stay valid; its row lives only during a call.
class ProcedureRunner {
 public:
  // The connection must outlive the runner, and so must `call`, the limits
  // its all-or-nothing units wait for the writer turn with (read at each
  // call of a procedure). `catalog_generation` changes whenever a statement
  // of this session may have changed the procedures: a write to their
  // tables, a change of schema.
  ProcedureRunner(sqlite3* connection, const CallLimits& call, const uint64_t& catalog_generation);
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

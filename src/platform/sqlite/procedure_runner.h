// Runs a stored procedure of the embedded database: binds the caller's
// arguments to the declared parameters, runs the body as one
// all-or-nothing unit (a failing statement undoes every write of the call)
// and writes the output values back into the arguments.
#pragma once

#include <sqlite3.h>

#include <vector>

#include "platform/database/provider.h"
#include "platform/sqlite/procedure_definition.h"

namespace tpl::db::sqlite {

// An argument with a name goes to the parameter of that name (without case,
// "@" optional); one without a name goes to the parameter at its own
// position. Parameters that receive no argument start as NULL. Returns the
// row sets of the body's row-returning statements, in order.
std::vector<ResultSet> RunProcedure(sqlite3* connection, const ProcedureDefinition& procedure,
                                    std::vector<Parameter>& arguments);

}  // namespace tpl::db::sqlite

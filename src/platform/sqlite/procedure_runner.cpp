#include "platform/sqlite/procedure_runner.h"

#include <string>

#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/parameter_scratch.h"
#include "platform/sqlite/statements.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {
namespace {

// The declared parameter that receives each argument.
std::vector<size_t> MatchArguments(const ProcedureDefinition& procedure, const std::vector<Parameter>& arguments) {
  std::vector<size_t> targets;
  targets.reserve(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i].name;
    const int index = name.empty() ? (i < procedure.parameters.size() ? static_cast<int>(i) : -1)
                                   : procedure.IndexOf(name);
    if (index < 0 && name.empty()) {
      RaiseSqlError("Procedimento " + procedure.name + ": recebeu " + std::to_string(arguments.size()) +
                    " argumentos e declara " + std::to_string(procedure.parameters.size()));
    }
    if (index < 0) RaiseSqlError("Procedimento " + procedure.name + ": não tem o parâmetro " + name);
    targets.push_back(static_cast<size_t>(index));
  }
  return targets;
}

}  // namespace

std::vector<ResultSet> RunProcedure(sqlite3* connection, const ProcedureDefinition& procedure,
                                    std::vector<Parameter>& arguments) {
  const std::vector<size_t> targets = MatchArguments(procedure, arguments);
  std::vector<const Variant*> values(procedure.parameters.size(), nullptr);
  bool wants_output = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    values[targets[i]] = &arguments[i].value;
    wants_output = wants_output || arguments[i].direction == ParameterDirection::Output;
  }

  AtomicScope scope(connection);
  std::vector<ResultSet> results;
  ResultSet final_values;
  try {
    ParameterScratch scratch(connection, procedure);
    scratch.Fill(values);
    RunStatements(connection, procedure.body, scratch, results);
    if (wants_output) final_values = scratch.ReadBack();
    scratch.Drop();
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number(), "Procedimento " + procedure.name + ": " + error.description());
  }
  scope.Commit();

  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i].direction == ParameterDirection::Output) arguments[i].value = final_values.cells.at(targets[i]);
  }
  return results;
}

}  // namespace tpl::db::sqlite

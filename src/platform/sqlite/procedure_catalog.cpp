#include "platform/sqlite/procedure_catalog.h"

#include <string>

#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/parameter_scratch.h"
#include "platform/sqlite/statements.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {
namespace {

void BindText(sqlite3* connection, sqlite3_stmt* statement, int index, std::string_view text) {
  CheckSqlite(connection,
              sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text == nullptr ? std::string() : std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

// Returns the number of statements of the body.
int CheckBody(sqlite3* connection, const ProcedureDefinition& procedure) {
  ParameterScratch scratch(connection, procedure);
  std::string_view rest = procedure.body;
  int statements = 0;
  while (!rest.empty()) {
    SqliteStatement statement = PrepareFirst(connection, rest, rest);
    if (statement == nullptr) continue;
    scratch.CheckMarkers(statement.get());
    ++statements;
  }
  scratch.Drop();
  return statements;
}

void Store(sqlite3* connection, const ProcedureDefinition& procedure) {
  SqliteStatement remove = Prepare(connection, "DELETE FROM TPL_PROCEDURE WHERE PROCEDURE_NAME = ?");
  BindText(connection, remove.get(), 1, procedure.name);
  StepToEnd(connection, remove.get());

  SqliteStatement insert = Prepare(connection, "INSERT INTO TPL_PROCEDURE (PROCEDURE_NAME, BODY) VALUES (?, ?)");
  BindText(connection, insert.get(), 1, procedure.name);
  BindText(connection, insert.get(), 2, procedure.body);
  StepToEnd(connection, insert.get());

  SqliteStatement parameter = Prepare(connection,
      "INSERT INTO TPL_PROCEDURE_PARAMETER (PROCEDURE_NAME, POSITION, PARAMETER_NAME, DATA_TYPE, IS_OUTPUT) "
      "VALUES (?, ?, ?, ?, ?)");
  for (size_t i = 0; i < procedure.parameters.size(); ++i) {
    const ProcedureParameter& declared = procedure.parameters[i];
    sqlite3_reset(parameter.get());
    BindText(connection, parameter.get(), 1, procedure.name);
    CheckSqlite(connection, sqlite3_bind_int(parameter.get(), 2, static_cast<int>(i) + 1));
    BindText(connection, parameter.get(), 3, declared.name);
    BindText(connection, parameter.get(), 4, declared.type);
    CheckSqlite(connection, sqlite3_bind_int(parameter.get(), 5, declared.output ? 1 : 0));
    StepToEnd(connection, parameter.get());
  }
}

}  // namespace

void InstallProcedure(sqlite3* connection, std::string_view source) {
  const ProcedureDefinition procedure = ParseProcedureSource(source);
  AtomicScope scope(connection);
  int statements = 0;
  try {
    statements = CheckBody(connection, procedure);
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number(), "Procedimento " + procedure.name + ": " + error.description());
  }
  if (statements == 0) RaiseSqlError("Procedimento " + procedure.name + ": corpo sem comandos");
  Store(connection, procedure);
  scope.Commit();
}

std::optional<ProcedureDefinition> FindProcedure(sqlite3* connection, std::string_view name) {
  SqliteStatement header = Prepare(connection, "SELECT PROCEDURE_NAME, BODY FROM TPL_PROCEDURE WHERE PROCEDURE_NAME = ?");
  BindText(connection, header.get(), 1, name);
  const int step = sqlite3_step(header.get());
  if (step == SQLITE_DONE) return std::nullopt;
  if (step != SQLITE_ROW) RaiseSqliteError(connection, step);
  ProcedureDefinition procedure;
  procedure.name = ColumnText(header.get(), 0);
  procedure.body = ColumnText(header.get(), 1);

  SqliteStatement parameters = Prepare(connection,
      "SELECT PARAMETER_NAME, DATA_TYPE, IS_OUTPUT FROM TPL_PROCEDURE_PARAMETER "
      "WHERE PROCEDURE_NAME = ? ORDER BY POSITION");
  BindText(connection, parameters.get(), 1, procedure.name);
  int row;
  while ((row = sqlite3_step(parameters.get())) == SQLITE_ROW) {
    procedure.parameters.push_back(ProcedureParameter{ColumnText(parameters.get(), 0),
                                                      ColumnText(parameters.get(), 1),
                                                      sqlite3_column_int(parameters.get(), 2) != 0});
  }
  if (row != SQLITE_DONE) RaiseSqliteError(connection, row);
  return procedure;
}

}  // namespace tpl::db::sqlite

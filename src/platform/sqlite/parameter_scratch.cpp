#include "platform/sqlite/parameter_scratch.h"

#include <string>

#include "platform/sqlite/statements.h"
#include "platform/sqlite/sqlite_provider.h"

namespace tpl::db::sqlite {
namespace {

constexpr const char* kSelectRow = "SELECT * FROM temp.params";

}  // namespace

ParameterScratch::ParameterScratch(sqlite3* connection, const ProcedureDefinition& procedure)
    : connection_(connection), procedure_(procedure) {
  if (procedure_.parameters.empty()) return;
  std::string create = "DROP TABLE IF EXISTS temp.params; CREATE TEMP TABLE params (";
  for (size_t i = 0; i < procedure_.parameters.size(); ++i) {
    const ProcedureParameter& parameter = procedure_.parameters[i];
    create += (i == 0 ? "\"" : ", \"") + parameter.name + "\" " + parameter.type;
  }
  create += ")";
  ExecuteScript(connection_, create);
  exists_ = true;
}

ParameterScratch::~ParameterScratch() {
  if (exists_) sqlite3_exec(connection_, "DROP TABLE IF EXISTS temp.params", nullptr, nullptr, nullptr);
}

void ParameterScratch::Drop() {
  if (!exists_) return;
  ExecuteScript(connection_, "DROP TABLE temp.params");
  exists_ = false;
}

void ParameterScratch::Fill(const std::vector<const Variant*>& values) {
  if (!exists_) return;
  std::string insert = "INSERT INTO temp.params VALUES (";
  for (size_t i = 0; i < values.size(); ++i) insert += i == 0 ? "?" : ", ?";
  insert += ")";
  SqliteStatement statement = Prepare(connection_, insert);
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i] != nullptr) BindVariant(connection_, statement.get(), static_cast<int>(i) + 1, *values[i]);
  }
  StepToEnd(connection_, statement.get());
  stale_ = true;
}

int ParameterScratch::ParameterIndex(sqlite3_stmt* statement, int marker) const {
  const char* name = sqlite3_bind_parameter_name(statement, marker);
  const int index = name == nullptr || name[0] == '?' ? -1 : procedure_.IndexOf(name);
  if (index < 0) {
    RaiseSqlError(std::string("o marcador ") + (name == nullptr ? "?" : name) + " não é um parâmetro declarado");
  }
  return index;
}

void ParameterScratch::CheckMarkers(sqlite3_stmt* statement) const {
  const int count = sqlite3_bind_parameter_count(statement);
  for (int marker = 1; marker <= count; ++marker) ParameterIndex(statement, marker);
}

void ParameterScratch::Bind(sqlite3_stmt* statement) {
  const int count = sqlite3_bind_parameter_count(statement);
  for (int marker = 1; marker <= count; ++marker) {
    const int index = ParameterIndex(statement, marker);
    if (stale_) Reload();
    CheckSqlite(connection_, sqlite3_bind_value(statement, marker, values_[static_cast<size_t>(index)].get()));
  }
}

void ParameterScratch::Finished(sqlite3_stmt* statement) {
  // Only a statement that writes can have changed the row.
  if (!sqlite3_stmt_readonly(statement)) stale_ = true;
}

void ParameterScratch::Reload() {
  SqliteStatement statement = Prepare(connection_, kSelectRow);
  const int step = sqlite3_step(statement.get());
  if (step == SQLITE_DONE) RaiseSqlError("a linha de temp.params foi apagada");
  if (step != SQLITE_ROW) RaiseSqliteError(connection_, step);
  values_.clear();
  for (int c = 0; c < sqlite3_column_count(statement.get()); ++c) {
    values_.emplace_back(sqlite3_value_dup(sqlite3_column_value(statement.get(), c)));
  }
  stale_ = false;
}

ResultSet ParameterScratch::ReadBack() {
  SqliteStatement statement = Prepare(connection_, kSelectRow);
  return ReadRows(connection_, statement.get());
}

}  // namespace tpl::db::sqlite

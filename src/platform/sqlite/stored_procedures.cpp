#include "platform/sqlite/stored_procedures.h"

#include "platform/database/ascii_text.h"
#include "platform/sqlite/sql_scanner.h"
#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/statements.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {

// ---- Reading the source

namespace {

bool IsPlainName(std::string_view name) {
  if (name.empty() || (name.front() >= '0' && name.front() <= '9')) return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

[[noreturn]] void Refuse(std::string_view procedure, std::string_view problem) {
  RaiseSqlError("Procedimento " + std::string(procedure.empty() ? "sem nome" : procedure) + ": " +
                std::string(problem));
}

// One parameter from its significant tokens: name [type words] [OUTPUT].
ProcedureParameter ReadParameter(std::string_view source, const std::vector<SqlToken>& tokens,
                                 std::string_view procedure) {
  if (tokens.empty()) Refuse(procedure, "parâmetro vazio na lista");
  ProcedureParameter parameter;
  parameter.name = std::string(WithoutParameterMarker(tokens.front().text));
  if (tokens.front().kind != SqlTokenKind::Word || !IsPlainName(parameter.name)) {
    Refuse(procedure, "nome de parâmetro inválido: " + std::string(tokens.front().text));
  }
  size_t type_end = tokens.size();
  if (tokens.size() > 1 && (tokens.back().IsKeyword("OUTPUT") || tokens.back().IsKeyword("OUT"))) {
    parameter.output = true;
    --type_end;
  }
  if (type_end > 1) {
    const size_t from = tokens[1].offset;
    parameter.type = std::string(source.substr(from, tokens[type_end - 1].end() - from));
  }
  return parameter;
}

// The tokens of each parameter, from the name up to AS, which the scanner
// is left after. The list may be put between parentheses; commas inside a
// type's parentheses ("NUMERIC(10,2)") do not separate parameters.
std::vector<std::vector<SqlToken>> SplitParameterList(SqlScanner& scanner, std::string_view procedure) {
  SqlToken token;
  bool parenthesized = false;
  SqlScanner lookahead = scanner;
  if (lookahead.NextSignificant(token) && token.IsSymbol('(')) {
    parenthesized = true;
    scanner = lookahead;
  }
  std::vector<std::vector<SqlToken>> parameters(1);
  int depth = 0;
  bool list_closed = false;
  while (scanner.NextSignificant(token)) {
    if (depth == 0 && token.IsKeyword("AS")) {
      if (parenthesized && !list_closed) Refuse(procedure, "falta ) no fim da lista de parâmetros");
      return parameters;
    }
    if (list_closed) Refuse(procedure, "texto inesperado depois da lista de parâmetros");
    if (parenthesized && depth == 0 && token.IsSymbol(')')) {
      list_closed = true;
      continue;
    }
    if (token.IsSymbol('(')) ++depth;
    if (token.IsSymbol(')')) --depth;
    if (depth == 0 && token.IsSymbol(',')) {
      parameters.emplace_back();
    } else {
      parameters.back().push_back(token);
    }
  }
  Refuse(procedure, "falta AS antes do corpo");
}

}  // namespace

int ProcedureDefinition::IndexOf(std::string_view parameter_name) const {
  parameter_name = WithoutParameterMarker(parameter_name);
  for (size_t i = 0; i < parameters.size(); ++i) {
    if (EqualsIgnoringCase(parameters[i].name, parameter_name)) return static_cast<int>(i);
  }
  return -1;
}

ProcedureDefinition ParseProcedureSource(std::string_view source) {
  SqlScanner scanner(source);
  SqlToken token;
  ProcedureDefinition procedure;
  if (!scanner.NextSignificant(token) || !token.IsKeyword("CREATE") || !scanner.NextSignificant(token) ||
      !(token.IsKeyword("PROCEDURE") || token.IsKeyword("PROC"))) {
    Refuse("", "a definição deve começar por CREATE PROCEDURE");
  }
  if (!scanner.NextSignificant(token) || token.kind != SqlTokenKind::Word || !IsPlainName(token.text)) {
    Refuse("", "nome de procedimento inválido");
  }
  procedure.name = std::string(token.text);

  const auto parameters = SplitParameterList(scanner, procedure.name);
  if (!(parameters.size() == 1 && parameters.front().empty())) {
    for (const auto& tokens : parameters) {
      ProcedureParameter parameter = ReadParameter(source, tokens, procedure.name);
      if (procedure.IndexOf(parameter.name) >= 0) Refuse(procedure.name, "parâmetro repetido: " + parameter.name);
      procedure.parameters.push_back(std::move(parameter));
    }
  }

  const std::string_view body = source.substr(scanner.position());
  const size_t first = body.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) Refuse(procedure.name, "corpo vazio");
  procedure.body = std::string(body.substr(first));
  return procedure;
}

// ---- The parameter row of a call

namespace {

// The per-call table that holds a procedure's parameter values while its
// body runs: temp.params, one row, one column per parameter named like it
// (without "@") and typed as declared. Body statements read the values as
// @name markers, bound from the row just before each statement runs, and
// may change them (UPDATE params SET pNOVO_ID = ...); output parameters are
// read back from the row at the end. A procedure without parameters has no
// table.
class ParameterScratch final : public StatementBinder {
 public:
  // Creates the table, empty.
  ParameterScratch(sqlite3* connection, const ProcedureDefinition& procedure);
  ParameterScratch(const ParameterScratch&) = delete;
  ParameterScratch& operator=(const ParameterScratch&) = delete;
  ~ParameterScratch();

  // Inserts the row; a null pointer gives the parameter NULL.
  void Fill(const std::vector<const Variant*>& values);

  void Bind(sqlite3_stmt* statement) override;
  void Finished(sqlite3_stmt* statement) override;

  // Raises an error when a marker of the statement is not "@" followed by
  // the name of a declared parameter.
  void CheckMarkers(sqlite3_stmt* statement) const;

  // The row as it stands, with the declared types.
  ResultSet ReadBack();

  void Drop();

 private:
  int ParameterIndex(sqlite3_stmt* statement, int marker) const;
  void Reload();

  sqlite3* connection_;
  const ProcedureDefinition& procedure_;
  std::vector<SqliteValue> values_;
  bool stale_ = true;
  bool exists_ = false;
};

constexpr const char* kSelectRow = "SELECT * FROM temp.params";

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

// ---- Installing and finding procedures

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

// ---- Running a call

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

// The value an input parameter carries into the call. A 32-bit integer
// parameter takes its value as the platform converts it (a text such as
// "57" becomes 57), and a value that is no number, the empty text
// included, is refused with a type mismatch before the body runs, as the
// ODBC provider and the servers' own clients do. Empty and Null stay NULL.
Variant InputValue(const Parameter& argument) {
  if (argument.type != DataType::Integer || argument.direction != ParameterDirection::Input ||
      argument.value.IsEmpty() || argument.value.IsNull()) {
    return argument.value;
  }
  return Variant::Long(CLng(argument.value));
}

}  // namespace

std::vector<ResultSet> RunProcedure(sqlite3* connection, const ProcedureDefinition& procedure,
                                    std::vector<Parameter>& arguments) {
  const std::vector<size_t> targets = MatchArguments(procedure, arguments);
  std::vector<const Variant*> values(procedure.parameters.size(), nullptr);
  std::vector<Variant> inputs;
  inputs.reserve(arguments.size());
  for (const Parameter& argument : arguments) inputs.push_back(InputValue(argument));
  bool wants_output = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    values[targets[i]] = &inputs[i];
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

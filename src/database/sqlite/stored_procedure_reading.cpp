#include "database/sqlite/stored_procedure_reading.h"


#include "database/ascii_text.h"
#include "database/sqlite/sql_scanner.h"
#include "database/sqlite/sqlite_provider.h"
#include "database/sqlite/statements.h"
#include "sentences/sentences.h"
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
  RaiseSqlError(Compose(sentences::kProcedureFault, procedure.empty() ? sentences::kProcedureUnnamed : procedure,
                        problem));
}

// One parameter from its significant tokens: name [type words] [OUTPUT].
ProcedureParameter ReadParameter(std::string_view source, const std::vector<SqlToken>& tokens,
                                 std::string_view procedure) {
  if (tokens.empty()) Refuse(procedure, sentences::kEmptyParameter);
  ProcedureParameter parameter;
  parameter.name = std::string(WithoutParameterMarker(tokens.front().text));
  if (tokens.front().kind != SqlTokenKind::Word || !IsPlainName(parameter.name)) {
    Refuse(procedure, Compose(sentences::kParameterNameInvalid, tokens.front().text));
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
      if (parenthesized && !list_closed) Refuse(procedure, sentences::kParameterListUnclosed);
      return parameters;
    }
    if (list_closed) Refuse(procedure, sentences::kTextAfterParameterList);
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
  Refuse(procedure, sentences::kAsMissing);
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
    Refuse("", sentences::kCreateProcedureMissing);
  }
  if (!scanner.NextSignificant(token) || token.kind != SqlTokenKind::Word || !IsPlainName(token.text)) {
    Refuse("", sentences::kProcedureNameMissing);
  }
  procedure.name = std::string(token.text);

  const auto parameters = SplitParameterList(scanner, procedure.name);
  if (!(parameters.size() == 1 && parameters.front().empty())) {
    for (const auto& tokens : parameters) {
      ProcedureParameter parameter = ReadParameter(source, tokens, procedure.name);
      if (procedure.IndexOf(parameter.name) >= 0) Refuse(procedure.name, Compose(sentences::kParameterRepeated, parameter.name));
      procedure.parameters.push_back(std::move(parameter));
    }
  }

  const std::string_view body = source.substr(scanner.position());
  const size_t first = body.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) Refuse(procedure.name, sentences::kProcedureBodyEmpty);
  procedure.body = std::string(body.substr(first));
  return procedure;
}

// ---- Installing procedures

namespace {

void BindText(sqlite3* connection, sqlite3_stmt* statement, int index, std::string_view text) {
  CheckSqlite(connection,
              sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

// Returns the number of statements of the body.
int CheckBody(sqlite3* connection, const ProcedureDefinition& procedure) {
  const std::string layout = ParameterTableLayout(procedure);
  if (!layout.empty()) ExecuteScript(connection, "DROP TABLE IF EXISTS temp.params; " + layout);
  std::string_view rest = procedure.body;
  int statements = 0;
  while (!rest.empty()) {
    SqliteStatement statement = PrepareFirst(connection, rest, rest);
    if (statement == nullptr) continue;
    MarkerTargets(statement.get(), procedure);
    ++statements;
  }
  if (!layout.empty()) ExecuteScript(connection, "DROP TABLE temp.params");
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

std::string ParameterTableLayout(const ProcedureDefinition& procedure) {
  if (procedure.parameters.empty()) return {};
  std::string create = "CREATE TEMP TABLE params (";
  for (size_t i = 0; i < procedure.parameters.size(); ++i) {
    const ProcedureParameter& parameter = procedure.parameters[i];
    create += (i == 0 ? "\"" : ", \"") + parameter.name + "\" " + parameter.type;
  }
  return create + ")";
}

std::vector<int> MarkerTargets(sqlite3_stmt* statement, const ProcedureDefinition& procedure) {
  std::vector<int> targets;
  const int count = sqlite3_bind_parameter_count(statement);
  for (int marker = 1; marker <= count; ++marker) {
    const char* name = sqlite3_bind_parameter_name(statement, marker);
    const int index = name == nullptr || name[0] == '?' ? -1 : procedure.IndexOf(name);
    if (index < 0) {
      RaiseSqlError(Compose(sentences::kMarkerUndeclared, name == nullptr ? "?" : name));
    }
    targets.push_back(index);
  }
  return targets;
}

void InstallProcedure(sqlite3* connection, std::string_view source, const CallLimits& call) {
  const ProcedureDefinition procedure = ParseProcedureSource(source);
  AtomicScope scope(connection, call);
  int statements = 0;
  try {
    statements = CheckBody(connection, procedure);
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number(), Compose(sentences::kProcedureFault, procedure.name, error.description()));
  }
  if (statements == 0) Refuse(procedure.name, sentences::kProcedureWithoutCommands);
  Store(connection, procedure);
  scope.Commit();
}

}  // namespace tpl::db::sqlite

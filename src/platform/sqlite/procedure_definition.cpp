#include "platform/sqlite/procedure_definition.h"

#include "platform/database/ascii_text.h"
#include "platform/sqlite/statements.h"
#include "platform/sqlite/sql_scanner.h"
#include "platform/sqlite/sqlite_provider.h"

namespace tpl::db::sqlite {
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

}  // namespace tpl::db::sqlite

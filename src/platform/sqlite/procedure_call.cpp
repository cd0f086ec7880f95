#include "platform/sqlite/procedure_call.h"

#include "platform/database/ascii_text.h"
#include "platform/sqlite/sql_scanner.h"
#include "platform/sqlite/sqlite_error.h"

namespace tpl::db::sqlite {
namespace {

std::string Unquoted(const SqlToken& part) {
  if (part.kind != SqlTokenKind::QuotedName) return std::string(part.text);
  std::string_view inner = part.text.substr(1);
  if (!inner.empty() && (inner.back() == ']' || inner.back() == '"' || inner.back() == '`')) {
    inner.remove_suffix(1);
  }
  return std::string(inner);
}

bool IsNamePart(const SqlToken& token) {
  return token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::QuotedName;
}

// Reads "part(.part)*" from the scanner and returns its last part; the
// scanner is left right after the name.
std::string ReadQualifiedName(SqlScanner& scanner, std::string_view statement) {
  SqlToken token;
  if (!scanner.NextSignificant(token) || !IsNamePart(token)) {
    RaiseSqlError("Chamada de procedimento sem nome: " + std::string(statement));
  }
  std::string name = Unquoted(token);
  for (;;) {
    SqlScanner lookahead = scanner;
    SqlToken dot, part;
    if (!lookahead.Next(dot) || !dot.IsSymbol('.') || !lookahead.Next(part) || !IsNamePart(part)) break;
    name = Unquoted(part);
    scanner = lookahead;
  }
  return name;
}

}  // namespace

ProcedureCall ParseProcedureCall(std::string_view statement) {
  SqlScanner scanner(statement);
  SqlToken keyword;
  if (!scanner.NextSignificant(keyword) || !(keyword.IsKeyword("EXEC") || keyword.IsKeyword("EXECUTE"))) {
    RaiseSqlError("Chamada de procedimento sem EXEC: " + std::string(statement));
  }
  ProcedureCall call;
  call.name = ReadQualifiedName(scanner, statement);
  std::string_view arguments = TrimAsciiSpace(statement.substr(scanner.position()));
  if (!arguments.empty() && arguments.back() == ';') arguments = TrimAsciiSpace(arguments.substr(0, arguments.size() - 1));
  call.arguments = arguments;
  return call;
}

std::string ProcedureNameOf(std::string_view command_text) {
  SqlScanner scanner(command_text);
  std::string name = ReadQualifiedName(scanner, command_text);
  SqlToken rest;
  if (scanner.NextSignificant(rest) && !rest.IsSymbol(';')) {
    RaiseSqlError("Nome de procedimento inválido: " + std::string(command_text));
  }
  return name;
}

}  // namespace tpl::db::sqlite

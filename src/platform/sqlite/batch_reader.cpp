#include "platform/sqlite/batch_reader.h"

#include <sqlite3.h>

#include <string>

namespace tpl::db::sqlite {

std::optional<BatchStatement> BatchReader::Next() {
  SqlToken first;
  do {
    if (!scanner_.NextSignificant(first)) return std::nullopt;
  } while (first.IsSymbol(';'));

  BatchStatement statement;
  size_t end = 0;
  if (first.IsKeyword("SET")) {
    statement.kind = BatchStatementKind::SessionOption;
    end = SessionOptionEnd();
  } else if (first.IsKeyword("EXEC") || first.IsKeyword("EXECUTE")) {
    statement.kind = BatchStatementKind::ProcedureCall;
    end = ProcedureCallEnd();
  } else {
    statement.kind = BatchStatementKind::Sql;
    end = SqlStatementEnd(first.offset);
  }
  statement.text = scanner_.text().substr(first.offset, end - first.offset);
  return statement;
}

size_t BatchReader::SessionOptionEnd() {
  size_t end = scanner_.position();
  for (SqlToken token; scanner_.Next(token);) {
    if (token.kind == SqlTokenKind::Blank && token.text.find('\n') != std::string_view::npos) break;
    if (token.IsSymbol(';')) return token.end();
    end = token.end();
  }
  return end;
}

size_t BatchReader::ProcedureCallEnd() {
  for (SqlToken token; scanner_.Next(token);) {
    if (token.IsSymbol(';')) return token.end();
  }
  return scanner_.position();
}

size_t BatchReader::SqlStatementEnd(size_t start) {
  for (SqlToken token; scanner_.Next(token);) {
    if (!token.IsSymbol(';')) continue;
    const std::string candidate(scanner_.text().substr(start, token.end() - start));
    if (sqlite3_complete(candidate.c_str())) return token.end();
  }
  return scanner_.position();
}

}  // namespace tpl::db::sqlite

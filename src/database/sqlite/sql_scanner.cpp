#include "database/sqlite/sql_scanner.h"


#include "database/ascii_text.h"
#include "database/sqlite/sqlite_provider.h"
#include "sentences/sentences.h"

namespace tpl::db::sqlite {

// ---- Tokens

namespace {

// Bytes of UTF-8 sequences count as letters, as they do for SQLite.
bool IsWordByte(char c) noexcept {
  auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' ||
         b == '$' || b == '@' || b == '#' || b == ':' || b >= 0x80;
}

}  // namespace

bool SqlToken::IsKeyword(std::string_view keyword) const noexcept {
  return kind == SqlTokenKind::Word && EqualsIgnoringCase(text, keyword);
}

size_t SqlScanner::QuotedEnd(char closing, bool doubled_closing_escapes) const noexcept {
  size_t i = position_ + 1;
  while (i < text_.size()) {
    if (text_[i] == closing) {
      if (doubled_closing_escapes && i + 1 < text_.size() && text_[i + 1] == closing) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return text_.size();
}

size_t SqlScanner::CommentEnd() const noexcept {
  if (text_[position_] == '-') {
    size_t newline = text_.find('\n', position_);
    if (newline == std::string_view::npos) return text_.size();
    // "\r\n" stays with the blank that follows, like "\n".
    return newline > position_ && text_[newline - 1] == '\r' ? newline - 1 : newline;
  }
  size_t close = text_.find("*/", position_ + 2);
  return close == std::string_view::npos ? text_.size() : close + 2;
}

bool SqlScanner::Next(SqlToken& token) noexcept {
  if (position_ >= text_.size()) return false;
  const char c = text_[position_];
  const char next = position_ + 1 < text_.size() ? text_[position_ + 1] : '\0';
  size_t end = position_ + 1;
  SqlTokenKind kind = SqlTokenKind::Symbol;
  if (IsAsciiSpace(c)) {
    kind = SqlTokenKind::Blank;
    while (end < text_.size() && IsAsciiSpace(text_[end])) ++end;
  } else if ((c == '-' && next == '-') || (c == '/' && next == '*')) {
    kind = SqlTokenKind::Comment;
    end = CommentEnd();
  } else if (c == '\'') {
    kind = SqlTokenKind::Text;
    end = QuotedEnd('\'', true);
  } else if (c == '"' || c == '`') {
    kind = SqlTokenKind::QuotedName;
    end = QuotedEnd(c, true);
  } else if (c == '[') {
    kind = SqlTokenKind::QuotedName;
    end = QuotedEnd(']', false);
  } else if (IsWordByte(c)) {
    kind = SqlTokenKind::Word;
    while (end < text_.size() && IsWordByte(text_[end])) ++end;
  }
  token.kind = kind;
  token.offset = position_;
  token.text = text_.substr(position_, end - position_);
  position_ = end;
  return true;
}

bool SqlScanner::NextSignificant(SqlToken& token) noexcept {
  while (Next(token)) {
    if (!token.IsFiller()) return true;
  }
  return false;
}

// ---- The statements of a batch

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
    end = SqlStatementEnd(first);
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

// A statement ends at the first ";" outside texts, names and comments,
// except a CREATE [TEMP] TRIGGER, whose body holds statements of its own
// and ends at the ";" right after its END (SQLite's own rule). One pass:
// each token is looked at once, however many ";" the text holds.
size_t BatchReader::SqlStatementEnd(const SqlToken& first) {
  // Where the statement stands in "CREATE [TEMP|TEMPORARY] TRIGGER".
  enum class Opening { Create, Temp, Trigger, Other };
  Opening opening = first.IsKeyword("CREATE") ? Opening::Create : Opening::Other;
  bool after_end = false;  // the last significant token was the word END
  for (SqlToken token; scanner_.Next(token);) {
    if (token.IsFiller()) continue;
    if (token.IsSymbol(';')) {
      if (opening != Opening::Trigger || after_end) return token.end();
      after_end = false;
      continue;
    }
    after_end = token.IsKeyword("END");
    if (opening == Opening::Create) {
      opening = token.IsKeyword("TEMP") || token.IsKeyword("TEMPORARY") ? Opening::Temp
                : token.IsKeyword("TRIGGER")                             ? Opening::Trigger
                                                                         : Opening::Other;
    } else if (opening == Opening::Temp) {
      opening = token.IsKeyword("TRIGGER") ? Opening::Trigger : Opening::Other;
    }
  }
  return scanner_.position();
}

// ---- Procedure calls

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
    RaiseSqlError(Compose(sentences::kCallWithoutName, statement));
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
    RaiseSqlError(Compose(sentences::kCallWithoutExec, statement));
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
    RaiseSqlError(Compose(sentences::kProcedureNameInvalid, command_text));
  }
  return name;
}

}  // namespace tpl::db::sqlite

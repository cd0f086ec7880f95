#include "platform/sqlite/sql_scanner.h"

#include "platform/sqlite/ascii_case.h"

namespace tpl::db::sqlite {
namespace {

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

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
  if (IsBlank(c)) {
    kind = SqlTokenKind::Blank;
    while (end < text_.size() && IsBlank(text_[end])) ++end;
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

}  // namespace tpl::db::sqlite

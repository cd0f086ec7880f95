// Splits SQL text into tokens so that the layer can find statement ends,
// keywords and names without being fooled by quotes and comments. Every
// byte belongs to exactly one token: the tokens put together give the text
// back.
#pragma once

#include <cstddef>
#include <string_view>

namespace tpl::db::sqlite {

enum class SqlTokenKind {
  Blank,       // spaces, tabs and line breaks
  Comment,     // -- to the end of the line (line break excluded), or /* ... */
  Text,        // 'quoted text', '' standing for one quote
  QuotedName,  // "name", [name] or `name`
  Word,        // keywords, names, numbers and parameters (@p, :p, $p, #t)
  Symbol,      // any other single byte: ( ) , ; . = ...
};

struct SqlToken {
  SqlTokenKind kind = SqlTokenKind::Blank;
  std::string_view text;
  size_t offset = 0;  // of the first byte within the scanned text

  size_t end() const noexcept { return offset + text.size(); }
  bool IsSymbol(char c) const noexcept { return kind == SqlTokenKind::Symbol && text.front() == c; }
  // A word equal to `keyword` regardless of case.
  bool IsKeyword(std::string_view keyword) const noexcept;
  // Blanks and comments, which never change the meaning of a statement.
  bool IsFiller() const noexcept { return kind == SqlTokenKind::Blank || kind == SqlTokenKind::Comment; }
};

class SqlScanner {
 public:
  explicit SqlScanner(std::string_view text) noexcept : text_(text) {}

  // The next token; false at the end of the text. An unterminated quote or
  // comment runs to the end of the text.
  bool Next(SqlToken& token) noexcept;
  // The next token that is not a blank or a comment.
  bool NextSignificant(SqlToken& token) noexcept;

  size_t position() const noexcept { return position_; }
  std::string_view text() const noexcept { return text_; }

 private:
  size_t QuotedEnd(char closing, bool doubled_closing_escapes) const noexcept;
  size_t CommentEnd() const noexcept;

  std::string_view text_;
  size_t position_ = 0;
};

}  // namespace tpl::db::sqlite

// Reading of SQL text without being fooled by quotes and comments.
//
// The scanner splits a text into tokens so that the layer can find
// statement ends, keywords and names. Every byte belongs to exactly one
// token: the tokens put together give the text back.
//
// On top of it, the batch reader cuts a command's text into its
// statements, and the procedure call reader takes the name and the
// arguments out of an EXEC statement.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tpl::db::sqlite {

// ---- Tokens

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

// ---- The statements of a batch

// Cuts a batch of SQL text into its statements, in order, telling apart the
// three kinds the provider treats differently:
//  - T-SQL session options ("SET ANSI_WARNINGS ON"): a statement that starts
//    with SET; it ends at the end of its line or at ";", as SQL Server
//    batches write them one per line without separators. SQLite has no
//    statement starting with SET, so these are skipped by the caller.
//  - procedure calls ("EXEC name args"), up to the next ";".
//  - SQLite statements, up to the ";" that completes them (a trigger body
//    holds several ";").
// Blank pieces and empty statements (";;") are left out.
enum class BatchStatementKind { SessionOption, ProcedureCall, Sql };

struct BatchStatement {
  BatchStatementKind kind = BatchStatementKind::Sql;
  std::string_view text;  // from its first word to its end, ";" included when present
};

class BatchReader {
 public:
  explicit BatchReader(std::string_view batch) noexcept : scanner_(batch) {}

  std::optional<BatchStatement> Next();

 private:
  size_t SessionOptionEnd();
  size_t ProcedureCallEnd();
  size_t SqlStatementEnd(const SqlToken& first);

  SqlScanner scanner_;
};

// ---- Procedure calls

// Reading of procedure calls as the library writes them for SQL Server:
// "EXEC SP_NAME 57, 'texto', null" and stored-procedure commands whose text
// is just the name. A schema prefix ("dbo.SP_NAME") and quoting of the
// parts ("[dbo].[SP_NAME]") are accepted; the schema is dropped, as the
// embedded database has one.
struct ProcedureCall {
  std::string name;
  std::string_view arguments;  // the literal list after the name, trimmed; may be empty
};

// Reads "EXEC name args" or "EXECUTE name args", with or without a final ";".
// Raises an error when the statement names no procedure.
ProcedureCall ParseProcedureCall(std::string_view statement);

// The procedure named by a stored-procedure command's text; raises an error
// when anything else follows the name.
std::string ProcedureNameOf(std::string_view command_text);

}  // namespace tpl::db::sqlite

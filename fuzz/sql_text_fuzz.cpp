// The embedded provider's reading of SQL text, without SQLite running any
// of it: the scanner, the batch reader, the readers of EXEC calls and of
// procedure sources, the rewriting of SYSDATE and ISNULL, and the Oracle
// date masks of TO_DATE.
//
// Input: the whole text is the SQL; for the date readers its first line is
// the date text and its second the mask. The readers may refuse with a
// RuntimeError and nothing else. Every byte belongs to one token, the batch
// reader moves forward through its text, and the rewriting touches neither
// quotes nor comments and changes nothing a second time.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "database/ascii_text.h"
#include "database/sqlite/sql_dialect.h"
#include "database/sqlite/sql_scanner.h"
#include "database/sqlite/stored_procedure_reading.h"
#include "tpl/runtime_error.h"

namespace tpl::fuzz {
namespace {

using namespace db::sqlite;

std::vector<SqlToken> Tokens(std::string_view sql) {
  std::vector<SqlToken> tokens;
  SqlScanner scanner(sql);
  for (SqlToken token; scanner.Next(token);) {
    if (tokens.size() > sql.size()) Fail("the scanner gives more tokens than the text has bytes");
    tokens.push_back(token);
  }
  return tokens;
}

void CheckTokensCoverText(std::string_view sql, const std::vector<SqlToken>& tokens) {
  size_t offset = 0;
  for (const SqlToken& token : tokens) {
    if (token.text.empty() || token.offset != offset || token.text.data() != sql.data() + offset)
      Fail("the tokens leave a gap or overlap at byte " + std::to_string(offset));
    offset = token.end();
  }
  if (offset != sql.size()) Fail("the tokens stop at byte " + std::to_string(offset) + " of " + std::to_string(sql.size()));
}

// Each statement lies inside the batch, after the one before it, and starts
// with its first word.
void CheckBatch(std::string_view sql) {
  BatchReader reader(sql);
  const char* previous_end = sql.data();
  size_t count = 0;
  while (const auto statement = reader.Next()) {
    if (++count > sql.size()) Fail("the batch reader gives more statements than the text has bytes");
    const std::string_view text = statement->text;
    if (text.empty() || text.data() < previous_end || text.data() + text.size() > sql.data() + sql.size())
      Fail("a statement of the batch is empty, out of order or outside it: " + std::string(text));
    SqlToken first;
    SqlScanner scanner(text);
    if (!scanner.Next(first) || first.IsFiller()) Fail("a statement starts with a blank or a comment");
    previous_end = text.data() + text.size();
    if (statement->kind == BatchStatementKind::ProcedureCall) {
      try {
        ParseProcedureCall(text);
      } catch (const RuntimeError&) {
      }
    }
  }
}

// Quoted texts, quoted names and comments in the order they stand.
std::vector<std::string_view> Untouchable(const std::vector<SqlToken>& tokens) {
  std::vector<std::string_view> kept;
  for (const SqlToken& token : tokens) {
    if (token.kind == SqlTokenKind::Text || token.kind == SqlTokenKind::QuotedName ||
        token.kind == SqlTokenKind::Comment)
      kept.push_back(token.text);
  }
  return kept;
}

void CheckRewriting(std::string_view sql, const std::vector<SqlToken>& tokens) {
  const std::string rewritten = RewriteForeignDialect(sql);
  if (Untouchable(Tokens(rewritten)) != Untouchable(tokens))
    Fail("rewriting the dialect changed a quoted text, a quoted name or a comment");
  if (RewriteForeignDialect(rewritten) != rewritten) Fail("rewriting the dialect twice changes the text again");
  CheckBatch(rewritten);
}

void CheckProcedureReaders(std::string_view sql) {
  try {
    ParseProcedureCall(sql);
  } catch (const RuntimeError&) {
  }
  try {
    ProcedureNameOf(sql);
  } catch (const RuntimeError&) {
  }
  try {
    ParseProcedureSource(sql);
  } catch (const RuntimeError&) {
  }
}

void CheckDateReaders(std::string_view text, std::string_view mask) {
  const DateParts defaults{2001, 10, 1, 0, 0, 0};
  if (const auto parts = ReadOracleDate(text, mask, defaults)) {
    if (parts->month < 1 || parts->month > 12 || parts->day < 1 || parts->day > 31 || parts->hour < 0 ||
        parts->hour > 23 || parts->minute < 0 || parts->minute > 59 || parts->second < 0 || parts->second > 59)
      Fail("TO_DATE read a date that does not exist from \"" + std::string(text) + "\"");
  }
  Date date;
  if (TryReadSqlDateText(text, date)) {
    const std::string written = SqlDateText(date);
    if (text.size() == written.size() && text[4] == '/' && text != written)
      Fail("the date text " + std::string(text) + " is written back as " + written);
  }
}

}  // namespace

int FuzzSqlText(const uint8_t* data, size_t size) {
  const std::string sql = Expand(AsText(data, size));
  const std::vector<SqlToken> tokens = Tokens(sql);
  CheckTokensCoverText(sql, tokens);
  CheckBatch(sql);
  CheckRewriting(sql, tokens);
  CheckProcedureReaders(sql);
  const std::vector<std::string_view> lines = SplitLines(sql);
  CheckDateReaders(lines[0], lines.size() > 1 ? lines[1] : std::string_view());
  return 0;
}

}  // namespace tpl::fuzz

// The two filter steps of a report run, as gExecutar_Query makes them:
// mConsiste_Filtros checks the user's values, and only when it accepts them
// mPrepara_Query puts them into the query.
//
// Input, one line each (fields split at '|', values as in fuzz_input.h):
//   line 1  Database kind | user | line count (when left out, the number of rows)
//   line 2  the query
//   line 3… placeholder | type code | mandatory | value    (one filter row each)
//
// Neither routine may raise or hang, and one that refuses must say why. The
// connection string is empty, so their traps write no log row and nothing
// here touches a database. Once both have accepted, the SQL text that stands
// for each value must be a literal and nothing more (CheckValueStaysLiteral),
// and it must reach the query untouched by the other rows
// (CheckValuesStandInQuery): a value that broke out of its literal could
// change what the report's statement does.
#include <algorithm>
#include <string>
#include <unordered_set>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "database/sqlite/sql_scanner.h"
#include "report/filters.h"
#include "report/query_preparation.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"

namespace tpl::fuzz {
namespace {

using db::sqlite::SqlScanner;
using db::sqlite::SqlToken;
using db::sqlite::SqlTokenKind;

// The matrix as the host hands it over: columns 0 to 7, the caption in 1,
// the placeholder in 2, the type code in 3, mandatory in 4, the value in 6.
struct FilterCall {
  Variant connection{std::string()};
  Variant user{Variant::Long(5)};
  Variant message;
  Variant kind;
  Variant query;
  Variant matrix;
  Variant lines;
  Variant columns{Variant::Integer(7)};
  int32_t rows = 0;

  bool Check() {
    return mConsiste_Filtros(CallContext(connection, user, kind, message), query, matrix, lines,
                             columns);
  }
  bool Prepare() {
    return mPrepara_Query(CallContext(connection, user, kind, message), query, matrix, lines,
                          columns);
  }
};

FilterCall ReadCall(std::string_view input) {
  std::vector<std::string_view> lines = SplitLines(input);
  // A final line break ends the last row; it does not start another.
  if (lines.size() > 2 && lines.back().empty()) lines.pop_back();
  const std::vector<std::string_view> header = SplitFields(lines[0]);
  FilterCall call;
  call.kind = ReadValue(FieldAt(header, 0));
  if (header.size() > 1) call.user = ReadValue(header[1]);
  call.rows = lines.size() > 2 ? static_cast<int32_t>(lines.size() - 2) : 0;
  call.query = Variant(lines.size() > 1 ? lines[1] : std::string_view());
  Array matrix = Array::Matrix(call.rows - 1, 7);
  for (int32_t row = 0; row < call.rows; ++row) {
    const std::vector<std::string_view> fields = SplitFields(lines[size_t(row) + 2]);
    matrix.at(row, kFilterCaptionColumn) = Variant("F" + std::to_string(row));
    matrix.at(row, kFilterPlaceholderColumn) = ReadValue(FieldAt(fields, 0));
    matrix.at(row, kFilterTypeColumn) = ReadValue(FieldAt(fields, 1));
    matrix.at(row, kFilterMandatoryColumn) = ReadValue(FieldAt(fields, 2));
    matrix.at(row, kFilterValueColumn) = ReadValue(FieldAt(fields, 3));
  }
  call.matrix = Variant(std::move(matrix));
  call.lines = header.size() > 2 ? ReadValue(header[2]) : Variant::Long(call.rows);
  return call;
}

void CheckRefusalSaysWhy(const FilterCall& call, const char* routine) {
  if (!call.message.IsString() || call.message.AsString().empty())
    Fail(std::string(routine) + " refused without a message");
}

bool IsOpenQuote(const SqlToken& token) {
  if (token.kind != SqlTokenKind::Text && token.kind != SqlTokenKind::QuotedName) return false;
  if (token.text.size() < 2) return true;
  if (token.text.front() == '[') return token.text.back() != ']';
  // A closed quote holds its closing character doubled, so an even count.
  return std::count(token.text.begin(), token.text.end(), token.text.front()) % 2 != 0;
}

bool IsOneOf(const SqlToken& token, std::string_view symbols) {
  return token.kind == SqlTokenKind::Symbol && symbols.find(token.text.front()) != std::string_view::npos;
}

// The SQL text of one accepted value, read as the embedded provider reads
// statements. Texts and dates become quoted literals, lists of them joined
// by commas; Oracle's dates a to_date(...) call; an empty value null. Every
// other type stands unquoted and must be numbers and names only, with no
// blank between two words: "1 OR 1" or "x DELETE" would be SQL of their own.
void CheckValueStaysLiteral(const std::string& type_code, const std::string& sql, int32_t row) {
  const bool quoted = type_code == "C" || type_code == "D";
  bool previous_is_word = false;
  bool blank_since_word = false;
  SqlScanner scanner(sql);
  for (SqlToken token; scanner.Next(token);) {
    bool fits = !IsOpenQuote(token) && token.kind != SqlTokenKind::Comment;
    if (token.kind == SqlTokenKind::Blank) {
      blank_since_word = previous_is_word;
      continue;
    }
    if (quoted) {
      fits = fits && (token.kind == SqlTokenKind::Text || IsOneOf(token, ",()") ||
                      token.IsKeyword("null") || token.IsKeyword("to_date"));
    } else {
      fits = fits && (IsOneOf(token, ",.-+") ||
                      (token.kind == SqlTokenKind::Word && !(previous_is_word && blank_since_word)));
    }
    if (!fits) {
      Fail("the accepted value of row " + std::to_string(row) + " (type " + type_code +
           ") became SQL that is more than a literal: " + sql);
    }
    previous_is_word = token.kind == SqlTokenKind::Word;
    blank_since_word = false;
  }
}

// A placeholder written as most are, "{NAME}" without other braces. Two
// such placeholders never overlap in a query, so each one found in the
// template is replaced wherever it stands.
bool IsBraced(const std::string& placeholder) {
  return placeholder.size() >= 2 && placeholder.front() == '{' && placeholder.back() == '}' &&
         placeholder.find_first_of("{}", 1) == placeholder.size() - 1;
}

// The SQL text of every row whose placeholder the template holds must stand
// in the prepared query as it is. Text taken from one value is never
// searched for placeholders again, so no other row's text can change it.
void CheckValuesStandInQuery(const std::string& template_text, const std::string& prepared,
                             const std::vector<std::string>& placeholders,
                             const std::vector<std::string>& values) {
  std::unordered_set<std::string_view> seen;
  for (const std::string& placeholder : placeholders) {
    if (!IsBraced(placeholder) || !seen.insert(placeholder).second) return;
  }
  for (size_t row = 0; row < placeholders.size(); ++row) {
    if (template_text.find(placeholders[row]) != std::string::npos &&
        prepared.find(values[row]) == std::string::npos)
      Fail("the SQL text of row " + std::to_string(row) + ", " + values[row] +
           ", does not stand in the prepared query: " + prepared);
  }
}

}  // namespace

int FuzzFilters(const uint8_t* data, size_t size) {
  const std::string input = Expand(AsText(data, size));
  FilterCall call = ReadCall(input);
  if (!call.Check()) {
    CheckRefusalSaysWhy(call, "mConsiste_Filtros");
    return 0;
  }
  const std::string template_text = call.query.AsString();
  if (!call.Prepare()) {
    CheckRefusalSaysWhy(call, "mPrepara_Query");
    return 0;
  }
  // Rows past the line count were not visited and keep what was typed.
  const int32_t visited = std::min(call.rows, int32_t{LastFilterRow(call.lines)} + 1);
  const Array& matrix = call.matrix.AsArray();
  std::vector<std::string> placeholders, values;
  for (int32_t row = 0; row < visited; ++row) {
    // Both routines have read these cells as texts already.
    std::string placeholder = TextOrEmpty(matrix.at(row, kFilterPlaceholderColumn));
    std::string sql = TextOrEmpty(matrix.at(row, kFilterValueColumn));
    CheckValueStaysLiteral(FilterTypeCode(matrix.at(row, kFilterTypeColumn)), sql, row);
    placeholders.push_back(std::move(placeholder));
    values.push_back(std::move(sql));
  }
  CheckValuesStandInQuery(template_text, call.query.AsString(), placeholders, values);
  return 0;
}

}  // namespace tpl::fuzz

#include "database/sqlite/computed_column_types.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "database/ascii_text.h"
#include "database/declared_type.h"
#include "database/sqlite/sql_scanner.h"
#include "database/sqlite/sqlite_provider.h"

namespace tpl::db::sqlite {
namespace {

// SQL Server's precision for the sum and average of a decimal column.
constexpr int kAggregatePrecision = 38;
// The least scale SQL Server gives the average of a decimal column.
constexpr int kAverageLeastScale = 6;

bool IsDecimalName(std::string_view name) { return IsOneOf(name, {"NUMERIC", "DECIMAL", "NUMBER"}); }

std::string DecimalDeclaration(int scale) {
  return "NUMERIC(" + std::to_string(kAggregatePrecision) + "," + std::to_string(scale) + ")";
}

// The blanks and comments of a statement never change its meaning, so the
// reading below works on the other tokens only.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {
    SqlScanner scanner(text);
    SqlToken token;
    while (scanner.NextSignificant(token)) tokens_.push_back(token);
  }

  size_t size() const noexcept { return tokens_.size(); }
  const SqlToken& operator[](size_t i) const noexcept { return tokens_[i]; }
  // The text from token `first` through token `last - 1`.
  std::string_view TextOf(size_t first, size_t last) const noexcept {
    return text_.substr(tokens_[first].offset, tokens_[last - 1].end() - tokens_[first].offset);
  }

  // The index of the ")" that closes the "(" at `open`; size() if none.
  size_t Closing(size_t open) const noexcept {
    int depth = 0;
    for (size_t i = open; i < tokens_.size(); ++i) {
      if (tokens_[i].IsSymbol('(')) ++depth;
      if (tokens_[i].IsSymbol(')') && --depth == 0) return i;
    }
    return tokens_.size();
  }

  // The index of the first "," at the depth of `first`, before `last`.
  size_t NextComma(size_t first, size_t last) const noexcept {
    int depth = 0;
    for (size_t i = first; i < last; ++i) {
      if (tokens_[i].IsSymbol('(')) ++depth;
      if (tokens_[i].IsSymbol(')')) --depth;
      if (depth == 0 && tokens_[i].IsSymbol(',')) return i;
    }
    return last;
  }

 private:
  std::string_view text_;
  std::vector<SqlToken> tokens_;
};

struct TokenRange {
  size_t first = 0;
  size_t last = 0;  // one past the end
  bool empty() const noexcept { return first >= last; }
};

// The result columns of the statement's first SELECT, as token ranges; the
// statement must be a query (SELECT, or WITH ... SELECT).
std::vector<TokenRange> ResultColumns(const Tokens& tokens) {
  std::vector<TokenRange> columns;
  if (tokens.size() == 0 || !(tokens[0].IsKeyword("SELECT") || tokens[0].IsKeyword("WITH"))) return columns;
  size_t i = 0;
  int depth = 0;
  for (; i < tokens.size(); ++i) {
    if (tokens[i].IsSymbol('(')) ++depth;
    if (tokens[i].IsSymbol(')')) --depth;
    if (depth == 0 && tokens[i].IsKeyword("SELECT")) break;
  }
  ++i;
  if (i < tokens.size() && (tokens[i].IsKeyword("DISTINCT") || tokens[i].IsKeyword("ALL"))) ++i;

  size_t start = i;
  depth = 0;
  for (; i < tokens.size(); ++i) {
    const SqlToken& token = tokens[i];
    if (token.IsSymbol('(')) ++depth;
    if (token.IsSymbol(')')) --depth;
    if (depth != 0) continue;
    if (token.IsSymbol(',')) {
      columns.push_back({start, i});
      start = i + 1;
      continue;
    }
    if (token.IsSymbol(';') ||
        (token.kind == SqlTokenKind::Word &&
         (token.IsKeyword("FROM") || token.IsKeyword("WHERE") || token.IsKeyword("GROUP") ||
          token.IsKeyword("HAVING") || token.IsKeyword("ORDER") || token.IsKeyword("LIMIT") ||
          token.IsKeyword("UNION") || token.IsKeyword("EXCEPT") || token.IsKeyword("INTERSECT") ||
          token.IsKeyword("WINDOW")))) {
      break;
    }
  }
  columns.push_back({start, i});
  return columns;
}

// A function call that makes up a whole expression, alias aside:
// "NAME ( arguments ) [[AS] alias]".
struct WholeCall {
  std::string name;  // upper case
  size_t name_token = 0;
  size_t closing_token = 0;
  TokenRange arguments;
};

std::optional<WholeCall> WholeCallOf(const Tokens& tokens, TokenRange range) {
  if (range.last - range.first < 3 || tokens[range.first].kind != SqlTokenKind::Word ||
      !tokens[range.first + 1].IsSymbol('(')) {
    return std::nullopt;
  }
  const size_t closing = tokens.Closing(range.first + 1);
  if (closing >= range.last) return std::nullopt;
  size_t after = closing + 1;
  if (after < range.last && tokens[after].IsKeyword("AS")) ++after;
  if (after < range.last) {
    const SqlTokenKind kind = tokens[after].kind;
    if (after + 1 != range.last || (kind != SqlTokenKind::Word && kind != SqlTokenKind::QuotedName &&
                                    kind != SqlTokenKind::Text)) {
      return std::nullopt;
    }
  }
  return WholeCall{ToUpperAscii(tokens[range.first].text), range.first, closing, {range.first + 2, closing}};
}

enum class Aggregate { Sum, Average, Extreme };

// What is known of one column after reading its expression: a declaration
// already, or an aggregate whose argument's type SQLite must tell.
struct ColumnReading {
  std::string declaration;
  std::optional<Aggregate> aggregate;
  size_t call_begin = 0;  // byte range of the expression the argument stands in for
  size_t call_end = 0;
  std::string_view argument;
};

ColumnReading ReadColumn(const Tokens& tokens, TokenRange range) {
  ColumnReading reading;
  const std::optional<WholeCall> call = WholeCallOf(tokens, range);
  if (!call || call->arguments.empty()) return reading;
  const TokenRange arguments = call->arguments;

  if (call->name == "CAST") {
    for (size_t i = arguments.first + 1; i < arguments.last; ++i) {
      if (!tokens[i].IsKeyword("AS") || tokens.NextComma(arguments.first, i) != i) continue;
      if (i + 1 >= arguments.last) break;
      const std::string_view type = tokens.TextOf(i + 1, arguments.last);
      if (IsDecimalName(DeclaredTypeName(type))) reading.declaration = std::string(type);
      break;
    }
    return reading;
  }
  if (IsOneOf(call->name, {"IFNULL", "ISNULL", "COALESCE", "NVL"})) {
    reading = ReadColumn(tokens, {arguments.first, tokens.NextComma(arguments.first, arguments.last)});
    // The second reading must see the aggregate's argument in place of the
    // whole expression: "IFNULL(SUM(c), 0)" becomes "(c)".
    reading.call_begin = tokens[call->name_token].offset;
    reading.call_end = tokens[call->closing_token].end();
    return reading;
  }

  TokenRange argument = arguments;
  if (tokens[argument.first].IsKeyword("DISTINCT")) ++argument.first;
  if (argument.empty() || tokens.NextComma(argument.first, argument.last) != argument.last) return reading;
  if (IsOneOf(call->name, {"SUM", "TOTAL"})) {
    reading.aggregate = Aggregate::Sum;
  } else if (call->name == "AVG") {
    reading.aggregate = Aggregate::Average;
  } else if (IsOneOf(call->name, {"MIN", "MAX"})) {
    reading.aggregate = Aggregate::Extreme;
  } else {
    return reading;
  }
  reading.call_begin = tokens[call->name_token].offset;
  reading.call_end = tokens[call->closing_token].end();
  reading.argument = tokens.TextOf(argument.first, argument.last);
  return reading;
}

std::string AggregateDeclaration(Aggregate aggregate, std::string_view argument_declaration) {
  if (aggregate == Aggregate::Extreme) return std::string(argument_declaration);
  if (!IsDecimalName(DeclaredTypeName(argument_declaration))) return {};
  const int scale = DeclaredScale(argument_declaration).value_or(0);
  return DecimalDeclaration(aggregate == Aggregate::Average ? std::max(scale, kAverageLeastScale) : scale);
}

}  // namespace

std::vector<std::string> ComputedColumnDeclarations(sqlite3* connection, sqlite3_stmt* statement) {
  const int column_count = sqlite3_column_count(statement);
  std::vector<std::string> declarations(static_cast<size_t>(column_count));
  bool any_computed = false;
  for (int c = 0; c < column_count && !any_computed; ++c) {
    any_computed = sqlite3_column_decltype(statement, c) == nullptr;
  }
  const char* sql = sqlite3_sql(statement);
  if (!any_computed || sql == nullptr) return declarations;

  const std::string_view text(sql);
  const Tokens tokens(text);
  const std::vector<TokenRange> columns = ResultColumns(tokens);
  // A "*" stands for several columns; the ranges would not line up.
  if (columns.size() != declarations.size()) return declarations;

  std::vector<ColumnReading> readings(columns.size());
  bool any_aggregate = false;
  for (size_t c = 0; c < columns.size(); ++c) {
    if (sqlite3_column_decltype(statement, static_cast<int>(c)) != nullptr) continue;
    readings[c] = ReadColumn(tokens, columns[c]);
    declarations[c] = readings[c].declaration;
    any_aggregate = any_aggregate || readings[c].aggregate.has_value();
  }
  if (!any_aggregate) return declarations;

  // SQLite types a parenthesised column from its table: the same query with
  // "SUM(c)" written "(c)" tells the type of c. It is only prepared, never
  // run; a text it cannot prepare leaves the columns to their values.
  std::string probe;
  size_t copied = 0;
  for (const ColumnReading& reading : readings) {
    if (!reading.aggregate) continue;
    probe.append(text, copied, reading.call_begin - copied);
    probe += '(';
    probe += reading.argument;
    probe += ')';
    copied = reading.call_end;
  }
  probe.append(text, copied);
  sqlite3_stmt* raw = nullptr;
  const int prepared = sqlite3_prepare_v2(connection, probe.data(), static_cast<int>(probe.size()), &raw, nullptr);
  const SqliteStatement typed(raw);
  if (prepared != SQLITE_OK || typed == nullptr || sqlite3_column_count(typed.get()) != column_count) {
    return declarations;
  }
  for (size_t c = 0; c < readings.size(); ++c) {
    if (!readings[c].aggregate) continue;
    const char* argument_declaration = sqlite3_column_decltype(typed.get(), static_cast<int>(c));
    if (argument_declaration != nullptr) {
      declarations[c] = AggregateDeclaration(*readings[c].aggregate, argument_declaration);
    }
  }
  return declarations;
}

}  // namespace tpl::db::sqlite

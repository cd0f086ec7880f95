#include "database/sqlite/sql_dialect.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <vector>

#include "database/ascii_text.h"
#include "database/sqlite/sql_scanner.h"
#include "database/sqlite/sqlite_provider.h"
#include "sentences/sentences.h"

namespace tpl::db::sqlite {

// ---- Dates as text

std::string SqlDateText(const DateParts& parts) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", parts.year, parts.month, parts.day,
                parts.hour, parts.minute, parts.second);
  return text;
}

std::string SqlDateText(Date date) { return SqlDateText(SplitDate(date)); }

bool TryReadSqlDateText(std::string_view text, Date& out) {
  if (text.size() != 10 && text.size() != 19) return false;
  auto digits = [&](size_t at, size_t count, int& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + (text[i] - '0');
    }
    return true;
  };
  DateParts parts;
  bool separators = (text[4] == '/' || text[4] == '-') && text[7] == text[4];
  if (!separators || !digits(0, 4, parts.year) || !digits(5, 2, parts.month) ||
      !digits(8, 2, parts.day))
    return false;
  if (text.size() == 19 && (text[10] != ' ' || text[13] != ':' || text[16] != ':' ||
                            !digits(11, 2, parts.hour) || !digits(14, 2, parts.minute) ||
                            !digits(17, 2, parts.second)))
    return false;
  return TryMakeDate(parts, out);
}

DateParts LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

// ---- Dates read with an Oracle mask

namespace {

enum class Field { Year, CenturyYear, RoundedYear, Month, Day, Hour, Minute, Second };

struct MaskElement {
  std::string_view name;
  Field field;
  int width;
};

// Longer names first, so that "YYYY" is not read as two "YY".
constexpr std::array<MaskElement, 11> kElements{{
    {"YYYY", Field::Year, 4},
    {"RRRR", Field::Year, 4},
    {"HH24", Field::Hour, 2},
    {"HH12", Field::Hour, 2},
    {"YY", Field::CenturyYear, 2},
    {"RR", Field::RoundedYear, 2},
    {"MM", Field::Month, 2},
    {"DD", Field::Day, 2},
    {"HH", Field::Hour, 2},
    {"MI", Field::Minute, 2},
    {"SS", Field::Second, 2},
}};

const MaskElement* ElementAt(std::string_view mask) {
  for (const MaskElement& element : kElements) {
    if (mask.size() >= element.name.size() && EqualsIgnoringCase(mask.substr(0, element.name.size()), element.name)) {
      return &element;
    }
  }
  return nullptr;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void Store(DateParts& parts, Field field, int value) {
  switch (field) {
    case Field::Year: parts.year = value; break;
    case Field::CenturyYear: parts.year = 2000 + value; break;
    case Field::RoundedYear: parts.year = value < 50 ? 2000 + value : 1900 + value; break;
    case Field::Month: parts.month = value; break;
    case Field::Day: parts.day = value; break;
    case Field::Hour: parts.hour = value; break;
    case Field::Minute: parts.minute = value; break;
    case Field::Second: parts.second = value; break;
  }
}

// False for a day that does not exist (31/02) or a time past 23:59:59.
bool IsRealDateTime(const DateParts& parts) {
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parts.year < 1 || parts.year > 9999 || parts.month < 1 || parts.month > 12) return false;
  const bool leap = (parts.year % 4 == 0 && parts.year % 100 != 0) || parts.year % 400 == 0;
  const int days = kDaysInMonth[parts.month - 1] + (parts.month == 2 && leap ? 1 : 0);
  return parts.day >= 1 && parts.day <= days && parts.hour >= 0 && parts.hour <= 23 &&
         parts.minute >= 0 && parts.minute <= 59 && parts.second >= 0 && parts.second <= 59;
}

}  // namespace

std::optional<DateParts> ReadOracleDate(std::string_view text, std::string_view mask,
                                        const DateParts& defaults) {
  DateParts parts = defaults;
  size_t t = 0;
  while (t < text.size() && IsBlank(text[t])) ++t;
  size_t m = 0;
  while (m < mask.size() && t < text.size()) {
    if (const MaskElement* element = ElementAt(mask.substr(m))) {
      while (t < text.size() && IsBlank(text[t])) ++t;
      int value = 0, digits = 0;
      while (t < text.size() && digits < element->width && db::IsAsciiDigit(text[t])) {
        value = value * 10 + (text[t++] - '0');
        ++digits;
      }
      if (digits == 0) return std::nullopt;
      Store(parts, element->field, value);
      m += element->name.size();
    } else if (IsLetter(mask[m])) {
      return std::nullopt;
    } else {
      ++m;
      if (!db::IsAsciiDigit(text[t]) && !IsLetter(text[t])) ++t;
    }
  }
  while (t < text.size() && IsBlank(text[t])) ++t;
  if (t < text.size() || !IsRealDateTime(parts)) return std::nullopt;
  return parts;
}

// ---- Rewriting SYSDATE and ISNULL

namespace {

bool MentionsForeignWord(std::string_view sql) {
  const std::string upper = ToUpperAscii(sql);
  return upper.find("SYSDATE") != std::string::npos || upper.find("ISNULL") != std::string::npos;
}

const SqlToken* SignificantNeighbour(const std::vector<SqlToken>& tokens, size_t index, int step) {
  for (auto i = static_cast<std::ptrdiff_t>(index) + step;
       i >= 0 && i < static_cast<std::ptrdiff_t>(tokens.size()); i += step) {
    if (!tokens[i].IsFiller()) return &tokens[i];
  }
  return nullptr;
}

}  // namespace

std::string RewriteForeignDialect(std::string_view sql) {
  if (!MentionsForeignWord(sql)) return std::string(sql);

  std::vector<SqlToken> tokens;
  SqlScanner scanner(sql);
  for (SqlToken token; scanner.Next(token);) tokens.push_back(token);

  std::string rewritten;
  rewritten.reserve(sql.size() + 16);
  for (size_t i = 0; i < tokens.size(); ++i) {
    const SqlToken& token = tokens[i];
    const SqlToken* before = SignificantNeighbour(tokens, i, -1);
    const SqlToken* after = SignificantNeighbour(tokens, i, +1);
    // "t.SYSDATE" names a column, not the function.
    const bool qualified = before != nullptr && before->IsSymbol('.');
    const bool called = after != nullptr && after->IsSymbol('(');
    if (!qualified && !called && token.IsKeyword("SYSDATE")) {
      rewritten += "GETDATE()";
    } else if (!qualified && called && token.IsKeyword("ISNULL")) {
      rewritten += "IFNULL";
    } else {
      rewritten += token.text;
    }
  }
  return rewritten;
}

// ---- The functions of every session

namespace {

std::string_view TextArgument(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text == nullptr ? std::string_view{} : std::string_view(text, sqlite3_value_bytes(value));
}

void ResultText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void GetDate(sqlite3_context* context, int, sqlite3_value**) {
  ResultText(context, SqlDateText(LocalNow()));
}

void Nvl(sqlite3_context* context, int, sqlite3_value** arguments) {
  sqlite3_result_value(context, sqlite3_value_type(arguments[0]) == SQLITE_NULL ? arguments[1] : arguments[0]);
}

void ToDate(sqlite3_context* context, int count, sqlite3_value** arguments) {
  for (int i = 0; i < count; ++i) {
    if (sqlite3_value_type(arguments[i]) == SQLITE_NULL) return sqlite3_result_null(context);
  }
  const std::string_view text = TextArgument(arguments[0]);
  if (count == 1) {
    Date date;
    if (TryParseDate(text, date)) return ResultText(context, SqlDateText(date));
  } else {
    DateParts first_of_month = LocalNow();
    first_of_month.day = 1;
    first_of_month.hour = first_of_month.minute = first_of_month.second = 0;
    if (auto parts = ReadOracleDate(text, TextArgument(arguments[1]), first_of_month)) {
      return ResultText(context, SqlDateText(*parts));
    }
  }
  const std::string message = count == 2 ? Compose(sentences::kNotADateInMask, text, TextArgument(arguments[1]))
                                          : Compose(sentences::kNotADate, text);
  sqlite3_result_error(context, message.c_str(), -1);
}

void RaiseError(sqlite3_context* context, int, sqlite3_value** arguments) {
  const std::string message(TextArgument(arguments[0]));
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

using Implementation = void (*)(sqlite3_context*, int, sqlite3_value**);

void Register(sqlite3* connection, const char* name, int arguments, bool deterministic,
              Implementation implementation) {
  const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
  CheckSqlite(connection,
              sqlite3_create_function_v2(connection, name, arguments, flags, nullptr, implementation,
                                         nullptr, nullptr, nullptr),
              name);
}

}  // namespace

void RegisterDialectFunctions(sqlite3* connection) {
  Register(connection, "GETDATE", 0, false, GetDate);
  Register(connection, "NVL", 2, true, Nvl);
  Register(connection, "TO_DATE", 1, false, ToDate);
  Register(connection, "TO_DATE", 2, false, ToDate);
  Register(connection, "RAISE_ERROR", 1, false, RaiseError);
}

}  // namespace tpl::db::sqlite

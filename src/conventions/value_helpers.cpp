#include "conventions/value_helpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>
#include <string>
#include <string_view>

#include "database/ascii_text.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {

std::string TextOrEmpty(const Variant& value) {
  if (value.IsNull()) return {};
  return CStr(value);
}

std::string TrimmedText(const Variant& value) { return Trim(TextOrEmpty(value)); }

bool TextEquals(const Variant& value, std::string_view text) {
  if (value.IsNull()) return false;
  std::string own;
  return TryToText(value, own) && own == text;
}

bool IsDatabaseKind(std::string_view value, DatabaseKind kind, KindComparison comparison) {
  std::string_view name = kind == DatabaseKind::Oracle ? kOracleKind : kSqlServerKind;
  if (comparison == KindComparison::Exact) return value == name;
  return UCase(Trim(value)) == name;
}

bool IsDatabaseKind(const Variant& value, DatabaseKind kind, KindComparison comparison) {
  // Null is no kind; any other value is compared by its text.
  if (value.IsNull()) return false;
  std::string text;
  return TryToText(value, text) && IsDatabaseKind(std::string_view(text), kind, comparison);
}

bool NumberEquals(const Variant& value, double number) {
  if (value.IsNull() || value.IsEmpty()) return false;
  double own;
  return TryToDouble(value, own) && own == number;
}

namespace {

double NumberAt(const std::string& text, size_t start, size_t length) {
  return Val(Mid(text, start, length));
}

bool IsDateSeparator(const std::string& text, size_t position) {
  std::string c = Mid(text, position, 1);
  return c == "/" || c == "-";
}

bool DayFirst(const std::string& t) {
  return NumberAt(t, 1, 2) <= 31 && NumberAt(t, 4, 2) <= 12 && NumberAt(t, 7, 4) >= 1900 &&
         IsDateSeparator(t, 3) && IsDateSeparator(t, 6);
}

bool MonthFirst(const std::string& t) {
  return NumberAt(t, 1, 2) <= 12 && NumberAt(t, 4, 2) <= 31 && NumberAt(t, 7, 4) >= 1900 &&
         IsDateSeparator(t, 3) && IsDateSeparator(t, 6);
}

bool YearFirst(const std::string& t) {
  return NumberAt(t, 1, 4) >= 1900 && NumberAt(t, 6, 2) <= 12 && NumberAt(t, 9, 2) <= 31 &&
         IsDateSeparator(t, 5) && IsDateSeparator(t, 8);
}

}  // namespace

bool mConsiste_Formato_Data(Variant& value) {
  try {
    if (Trim(CStr(mTrata_Nulo(value))).empty()) return false;
    value = Variant(mRetira_Caracteres(CStr(value)));
    const std::string& text = value.AsString();
    if (!IsDate(value) || Len(text) < 10) return false;
    return DayFirst(text) || MonthFirst(text) || YearFirst(text);
  } catch (...) {
    return false;
  }
}

std::string mRetira_Caracteres(std::string_view text) {
  if (Trim(text).empty()) return {};
  // All the characters are ASCII, so dropping bytes never splits a UTF-8
  // sequence.
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (kForbiddenCharacters.find(c) == std::string_view::npos) kept.push_back(c);
  }
  return kept;
}

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

}  // namespace

bool IsPlainIdentifier(std::string_view name) {
  if (name.empty() || !IsLetter(name.front())) return false;
  for (char c : name) {
    if (!IsLetter(c) && !db::IsAsciiDigit(c)) return false;
  }
  return true;
}

bool IsQualifiedIdentifier(std::string_view name) {
  size_t start = 0;
  while (true) {
    size_t dot = name.find('.', start);
    if (!IsPlainIdentifier(name.substr(start, dot == std::string_view::npos ? dot : dot - start)))
      return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

bool IsPlainNumber(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "0" : text.substr(point + 1);
  auto digits = [](std::string_view part) {
    return !part.empty() && std::all_of(part.begin(), part.end(), db::IsAsciiDigit);
  };
  return digits(whole) && digits(fraction);
}

Variant mTrata_Nulo(const Variant& value) {
  if (value.IsNull()) return Variant("");
  return value;
}

double SqlNumberOf(const Variant& value) {
  switch (value.type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
      return CDbl(value);
    default:
      return Val(CStr(value));
  }
}

std::string SqlNumberText(double number) {
  // "inf" and "nan" would read as names in a statement.
  if (!std::isfinite(number)) Raise(error::kOverflow);
  char text[32];
  auto [end, failure] = std::to_chars(text, text + sizeof text, number);
  if (failure != std::errc()) Raise(error::kOverflow);
  return std::string(text, end);
}

int32_t WholeNumberOf(const Variant& value) { return CLng(Variant(SqlNumberOf(value))); }

namespace {

// An optional sign, digits and at most one decimal separator ("." or ","),
// blanks around allowed: a number that may reach a statement as typed.
bool IsTypedNumber(std::string_view typed) {
  const std::string trimmed = Trim(typed);
  std::string_view text = trimmed;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  size_t digits = 0;
  bool separator = false;
  for (char c : text) {
    if (db::IsAsciiDigit(c)) {
      ++digits;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
    } else {
      return false;
    }
  }
  return digits > 0;
}

bool IsWholeNumberType(const Variant& value) {
  return value.type() == VarType::Integer || value.type() == VarType::Long;
}

}  // namespace

std::string SqlNumberLiteral(const Variant& value) {
  if (IsWholeNumberType(value)) return CStr(value);
  const std::string text = CStr(value);
  if (IsTypedNumber(text)) return Replace(text, ",", ".");
  return SqlNumberText(SqlNumberOf(value));
}

Variant mTrata_Numero_SQL(const Variant& value) {
  if (Val(CStr(value)) == 0) return Variant("null");
  if (IsWholeNumberType(value)) return value;
  return Variant(SqlNumberLiteral(value));
}

Variant mTrata_Texto_SQL(const Variant& value) {
  std::string text = TextOrEmpty(value);
  if (text.empty()) return Variant("null");
  return Variant("'" + text + "'");
}

Variant mTrata_Data_SQL(const Variant& value) {
  if (TextOrEmpty(value).empty()) return Variant("null");
  return Variant("'" + FormatDate(value, "yyyy/mm/dd hh:mm") + "'");
}

bool mTroca_Virgula(const std::string& in, std::string& out) {
  out = Replace(in, ",", ".");
  return true;
}

Variant gMonta_Data_Oracle(const Variant& value) {
  if (TextOrEmpty(value).empty()) return Variant(" null");
  return Variant("  to_date('" + FormatDate(value, "yyyy/mm/dd hh:mm:ss") +
                 "', 'yyyy/mm/dd hh24:mi:ss')");
}

Variant gMonta_Numero_Oracle(const Variant& value) {
  if (Val(CStr(value)) == 0) return Variant(" null");
  return Variant("  " + SqlNumberLiteral(value));
}

Variant gMonta_Texto_Oracle(const Variant& value) {
  std::string text = TextOrEmpty(value);
  if (text.empty()) return Variant(" NULL");
  return Variant(UCase("  '" + text + "'"));
}

}  // namespace tpl

#include "platform/sqlite/oracle_date_mask.h"

#include <array>

#include "platform/sqlite/ascii_case.h"
#include "platform/sqlite/sql_date_text.h"

namespace tpl::db::sqlite {
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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
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
      while (t < text.size() && digits < element->width && IsDigit(text[t])) {
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
      if (!IsDigit(text[t]) && !IsLetter(text[t])) ++t;
    }
  }
  while (t < text.size() && IsBlank(text[t])) ++t;
  if (t < text.size() || !IsRealDateTime(parts)) return std::nullopt;
  return parts;
}

}  // namespace tpl::db::sqlite

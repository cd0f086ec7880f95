// Date masks of the platform's Format. Tokens, case-insensitive:
//   yyyy year, yy two-digit year, y day of the year;
//   m/mm month (minutes when the nearest token before is an hour or the
//   nearest token after is a second), mmm/mmmm month name, short or full;
//   d/dd day, ddd/dddd weekday name, short or full, ddddd the short date;
//   h/hh hour on the 24-hour clock ("hh24" is hh), n/nn minute, s/ss second;
//   w weekday number (1 is Sunday), q quarter, c the general date text;
//   AM/PM, am/pm, A/P and a/p switch hours to the 12-hour clock.
// Text between double quotes and a character after "\" are copied as they
// are; so is every other character.
#include <string>
#include <vector>

#include "values/date_calendar.h"
#include "values/regional_settings.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl {
namespace {

enum class Kind {
  kLiteral, kYear4, kYear2, kDayOfYear, kMonth, kMonth2, kMonthShort, kMonthLong,
  kDay, kDay2, kWeekdayShort, kWeekdayLong, kShortDate, kHour, kHour2, kMinute,
  kMinute2, kSecond, kSecond2, kWeekday, kQuarter, kGeneral, kAmPm
};

struct Token {
  Kind kind;
  std::string text;  // literal text, or the AM/PM mask as written
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[at + i]) != prefix[i]) return false;
  }
  return true;
}

size_t RunLength(std::string_view mask, size_t at) {
  size_t n = 1;
  while (at + n < mask.size() && Lower(mask[at + n]) == Lower(mask[at])) ++n;
  return n;
}

std::vector<Token> Tokenize(std::string_view mask) {
  std::vector<Token> tokens;
  auto literal = [&tokens](std::string_view text) {
    if (tokens.empty() || tokens.back().kind != Kind::kLiteral) {
      tokens.push_back({Kind::kLiteral, ""});
    }
    tokens.back().text += text;
  };
  for (size_t i = 0; i < mask.size();) {
    const char c = Lower(mask[i]);
    if (mask[i] == '"') {
      const size_t close = mask.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? mask.size() : close;
      literal(mask.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (mask[i] == '\\') {
      if (i + 1 < mask.size()) literal(mask.substr(i + 1, 1));
      i += 2;
      continue;
    }
    if (StartsWithNoCase(mask, i, "am/pm") || StartsWithNoCase(mask, i, "a/p")) {
      const size_t n = StartsWithNoCase(mask, i, "am/pm") ? 5 : 3;
      tokens.push_back({Kind::kAmPm, std::string(mask.substr(i, n))});
      i += n;
      continue;
    }
    size_t n = RunLength(mask, i);
    switch (c) {
      case 'y':
        // A run of y is read as yyyy, then yy, then y, from the left.
        for (size_t left = n; left > 0;) {
          if (left >= 4) {
            tokens.push_back({Kind::kYear4, ""});
            left -= 4;
          } else if (left >= 2) {
            tokens.push_back({Kind::kYear2, ""});
            left -= 2;
          } else {
            tokens.push_back({Kind::kDayOfYear, ""});
            left -= 1;
          }
        }
        break;
      case 'm': {
        static constexpr Kind kByLength[] = {Kind::kMonth, Kind::kMonth2, Kind::kMonthShort,
                                             Kind::kMonthLong};
        tokens.push_back({kByLength[std::min<size_t>(n, 4) - 1], ""});
        break;
      }
      case 'd': {
        static constexpr Kind kByLength[] = {Kind::kDay, Kind::kDay2, Kind::kWeekdayShort,
                                             Kind::kWeekdayLong, Kind::kShortDate};
        tokens.push_back({kByLength[std::min<size_t>(n, 5) - 1], ""});
        break;
      }
      case 'h':
        tokens.push_back({n == 1 ? Kind::kHour : Kind::kHour2, ""});
        if (mask.substr(i + n, 2) == "24") n += 2;  // hh24
        break;
      case 'n': tokens.push_back({n == 1 ? Kind::kMinute : Kind::kMinute2, ""}); break;
      case 's': tokens.push_back({n == 1 ? Kind::kSecond : Kind::kSecond2, ""}); break;
      case 'w': n = 1; tokens.push_back({Kind::kWeekday, ""}); break;
      case 'q': n = 1; tokens.push_back({Kind::kQuarter, ""}); break;
      case 'c': n = 1; tokens.push_back({Kind::kGeneral, ""}); break;
      default: n = 1; literal(mask.substr(i, 1)); break;
    }
    i += n;
  }
  return tokens;
}

bool IsHour(Kind k) { return k == Kind::kHour || k == Kind::kHour2; }
bool IsSecond(Kind k) { return k == Kind::kSecond || k == Kind::kSecond2; }

// m and mm mean minutes next to an hour or a second.
void ResolveMinutes(std::vector<Token>& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Kind::kMonth && tokens[i].kind != Kind::kMonth2) continue;
    bool minutes = false;
    for (size_t j = i; j-- > 0;) {
      if (tokens[j].kind == Kind::kLiteral) continue;
      minutes = IsHour(tokens[j].kind);
      break;
    }
    for (size_t j = i + 1; !minutes && j < tokens.size(); ++j) {
      if (tokens[j].kind == Kind::kLiteral) continue;
      minutes = IsSecond(tokens[j].kind);
      break;
    }
    if (minutes) tokens[i].kind = tokens[i].kind == Kind::kMonth ? Kind::kMinute : Kind::kMinute2;
  }
}

std::string Padded(int value, size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

int DayOfYear(const DateParts& p) {
  return static_cast<int>(detail::DayNumber(p.year, p.month, p.day) -
                          detail::DayNumber(p.year, 1, 1)) + 1;
}

}  // namespace

std::string FormatDate(const Variant& value, std::string_view mask) {
  const Date date = CDate(value);
  const DateParts p = SplitDate(date);
  std::vector<Token> tokens = Tokenize(mask);
  ResolveMinutes(tokens);
  bool twelve_hour = false;
  for (const Token& t : tokens) twelve_hour = twelve_hour || t.kind == Kind::kAmPm;
  const int hour = twelve_hour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
  const int weekday = detail::Weekday(p);

  std::string out;
  for (const Token& t : tokens) {
    switch (t.kind) {
      case Kind::kLiteral: out += t.text; break;
      case Kind::kYear4: out += Padded(p.year, 4); break;
      case Kind::kYear2: out += Padded(p.year % 100, 2); break;
      case Kind::kDayOfYear: out += std::to_string(DayOfYear(p)); break;
      case Kind::kMonth: out += std::to_string(p.month); break;
      case Kind::kMonth2: out += Padded(p.month, 2); break;
      case Kind::kMonthShort: out += Left(regional::kMonthNames[p.month - 1], 3); break;
      case Kind::kMonthLong: out += regional::kMonthNames[p.month - 1]; break;
      case Kind::kDay: out += std::to_string(p.day); break;
      case Kind::kDay2: out += Padded(p.day, 2); break;
      case Kind::kWeekdayShort: out += Left(regional::kWeekdayNames[weekday], 3); break;
      case Kind::kWeekdayLong: out += regional::kWeekdayNames[weekday]; break;
      case Kind::kShortDate:
        out += Padded(p.day, 2) + regional::kDateSeparator + Padded(p.month, 2) +
               regional::kDateSeparator + Padded(p.year, 4);
        break;
      case Kind::kHour: out += std::to_string(hour); break;
      case Kind::kHour2: out += Padded(hour, 2); break;
      case Kind::kMinute: out += std::to_string(p.minute); break;
      case Kind::kMinute2: out += Padded(p.minute, 2); break;
      case Kind::kSecond: out += std::to_string(p.second); break;
      case Kind::kSecond2: out += Padded(p.second, 2); break;
      case Kind::kWeekday: out += std::to_string(weekday + 1); break;
      case Kind::kQuarter: out += std::to_string((p.month - 1) / 3 + 1); break;
      case Kind::kGeneral: out += CStr(Variant(date)); break;
      case Kind::kAmPm: {
        // The mask's own letters and case: "AM/PM" gives "PM", "a/p" gives "p".
        const size_t slash = t.text.find('/');
        out += p.hour < 12 ? t.text.substr(0, slash) : t.text.substr(slash + 1);
        break;
      }
    }
  }
  return out;
}

}  // namespace tpl

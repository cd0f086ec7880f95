// Lenient recognition of typed dates, as the platform's date parser under
// day/month/year regional settings.
//
// A text is a date, a time, or a date and a time in either order, separated
// by blanks (or by "T" as in 2001-10-13T10:20:00). Surrounding blanks are
// ignored.
//   date: three numbers separated by "/", "-", "." or blanks:
//         - a first number of three or four digits is the year: year, month,
//           day (or year, day, month when only that is valid);
//         - otherwise day, month, year, or month, day, year when only that is
//           valid ("10/13/2001" is 13/10/2001), or last a two-digit year,
//           month, day ("99/12/31");
//         two numbers: day and month of the current year, or month and year
//         (day 1) when one of them has three or four digits;
//         a month name or its first three letters with a day and/or a year
//         ("13 out 2001", "13 de outubro de 2001", "outubro 13, 2001",
//         "outubro 2001").
//   years of one or two digits: 00 to 29 are 20xx, 30 to 99 are 19xx.
//   time: h:m or h:m:s, optionally followed by AM or PM; a fraction of a
//         second after the seconds ("10:20:30.125") is dropped.
// The result must be a real date from 01/01/100 to 31/12/9999.
#include <utf8proc.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "values/regional_settings.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl {
namespace {

struct Token {
  enum Kind { kNumber, kWord, kSeparator, kBlank } kind;
  std::string text;  // digits, folded word, or the separator character
  int value = 0;     // numbers only
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetterByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

// Lower case without accents, so that "Março", "MARCO" and "março" match.
std::string Fold(std::string_view word) {
  utf8proc_uint8_t* folded = nullptr;
  const auto n = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(word.data()),
                              static_cast<utf8proc_ssize_t>(word.size()), &folded,
                              static_cast<utf8proc_option_t>(UTF8PROC_CASEFOLD | UTF8PROC_STRIPMARK |
                                                             UTF8PROC_DECOMPOSE));
  std::string out = n >= 0 ? std::string(reinterpret_cast<char*>(folded), static_cast<size_t>(n))
                           : std::string(word);
  std::free(folded);
  return out;
}

std::optional<std::vector<Token>> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    size_t j = i + 1;
    if (IsDigit(c)) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      const std::string digits(text.substr(i, j - i));
      // Only fractions of a second have more than four digits; their value
      // is never used.
      tokens.push_back({Token::kNumber, digits, digits.size() <= 4 ? std::atoi(digits.c_str()) : 0});
    } else if (IsLetterByte(c)) {
      while (j < text.size() && IsLetterByte(text[j])) ++j;
      tokens.push_back({Token::kWord, Fold(text.substr(i, j - i))});
    } else if (IsBlank(c)) {
      while (j < text.size() && IsBlank(text[j])) ++j;
      tokens.push_back({Token::kBlank, " "});
    } else if (c == '/' || c == '-' || c == '.' || c == ',' || c == ':') {
      tokens.push_back({Token::kSeparator, std::string(1, c)});
    } else {
      return std::nullopt;
    }
    i = j;
  }
  return tokens;
}

bool IsNumber(const std::vector<Token>& t, size_t i) {
  return i < t.size() && t[i].kind == Token::kNumber && t[i].text.size() <= 2;
}
bool IsColon(const std::vector<Token>& t, size_t i) {
  return i < t.size() && t[i].kind == Token::kSeparator && t[i].text == ":";
}

struct Time {
  int hour = 0, minute = 0, second = 0;
};

// Finds "h:m[:s] [AM|PM]" and blanks it out of the tokens.
std::optional<Time> TakeTime(std::vector<Token>& t, bool& bad) {
  for (size_t i = 0; i < t.size(); ++i) {
    if (!(IsNumber(t, i) && IsColon(t, i + 1) && IsNumber(t, i + 2))) continue;
    Time time{t[i].value, t[i + 2].value, 0};
    size_t end = i + 3;
    if (IsColon(t, end) && IsNumber(t, end + 1)) {
      time.second = t[end + 1].value;
      end += 2;
      // A fraction of a second ("10:20:30.125") is dropped.
      if (end + 1 < t.size() && t[end].kind == Token::kSeparator && t[end].text == "." &&
          t[end + 1].kind == Token::kNumber) {
        end += 2;
      }
    }
    size_t look = end < t.size() && t[end].kind == Token::kBlank ? end + 1 : end;
    if (look < t.size() && t[look].kind == Token::kWord &&
        (t[look].text == "am" || t[look].text == "pm")) {
      if (time.hour < 1 || time.hour > 12) bad = true;
      time.hour = time.hour % 12 + (t[look].text == "pm" ? 12 : 0);
      end = look + 1;
    }
    t.erase(t.begin() + static_cast<std::ptrdiff_t>(i), t.begin() + static_cast<std::ptrdiff_t>(end));
    t.insert(t.begin() + static_cast<std::ptrdiff_t>(i), Token{Token::kBlank, " "});
    // An ISO "T" right before the time is only a separator.
    if (i > 0 && t[i - 1].kind == Token::kWord && t[i - 1].text == "t") {
      t[i - 1] = Token{Token::kBlank, " "};
    }
    return time;
  }
  return std::nullopt;
}

// 1 to 12 for a folded month name or abbreviation, 0 for any other word.
int MonthOfWord(const std::string& word) {
  struct Names {
    std::string full[12], abbreviated[12];
  };
  static const Names names = [] {
    Names n;
    for (int m = 0; m < 12; ++m) {
      n.full[m] = Fold(regional::kMonthNames[m]);
      n.abbreviated[m] = Fold(Left(regional::kMonthNames[m], 3));
    }
    return n;
  }();
  for (int m = 0; m < 12; ++m) {
    if (word == names.full[m] || word == names.abbreviated[m]) return m + 1;
  }
  return 0;
}

struct Element {
  int value;
  int digits;
  bool is_month_word;
};

// The numbers and month names of the date, checking that each gap between
// them holds at most one separator. A comma is a separator only beside a
// month name ("outubro 13, 2001"): "1,5" is a number, not a date. False when
// something else is there.
bool CollectElements(const std::vector<Token>& t, std::vector<Element>& out) {
  int separators_in_gap = 0;
  bool comma = false, month_word = false;
  bool gap_open = false;  // a separator may only stand between two elements
  for (const Token& token : t) {
    switch (token.kind) {
      case Token::kBlank: break;
      case Token::kSeparator:
        if (token.text == ":" || out.empty() || ++separators_in_gap > 1) return false;
        comma = comma || token.text == ",";
        gap_open = true;
        break;
      case Token::kNumber:
        if (token.text.size() > 4) return false;  // no part of a date has more digits
        out.push_back({token.value, static_cast<int>(token.text.size()), false});
        separators_in_gap = 0;
        gap_open = false;
        break;
      case Token::kWord: {
        if (token.text == "de") break;  // "13 de outubro de 2001"
        const int month = MonthOfWord(token.text);
        if (month == 0) return false;
        month_word = true;
        out.push_back({month, 0, true});
        separators_in_gap = 0;
        gap_open = false;
        break;
      }
    }
  }
  return !gap_open && (!comma || month_word);
}

int CurrentYear() { return SplitDate(Now()).year; }

int FullYear(const Element& e) {
  if (e.digits > 2) return e.value;
  return e.value + (e.value < regional::kTwoDigitYearPivot ? 2000 : 1900);
}

bool TryDay(int year, int month, int day, const Time& time, Date& out) {
  return TryMakeDate({year, month, day, time.hour, time.minute, time.second}, out);
}

bool Interpret(const std::vector<Element>& e, const Time& time, Date& out) {
  std::vector<Element> numbers;
  int month_word = 0;
  for (const Element& x : e) {
    if (!x.is_month_word) {
      numbers.push_back(x);
    } else if (month_word != 0) {
      return false;
    } else {
      month_word = x.value;
    }
  }
  if (month_word != 0) {
    if (numbers.size() == 1) {
      const Element& n = numbers[0];
      if (n.digits > 2) return TryDay(n.value, month_word, 1, time, out);
      return TryDay(CurrentYear(), month_word, n.value, time, out);
    }
    if (numbers.size() != 2) return false;
    const bool year_first = numbers[0].digits > 2;
    const Element& day = year_first ? numbers[1] : numbers[0];
    const Element& year = year_first ? numbers[0] : numbers[1];
    if (day.digits > 2) return false;
    return TryDay(FullYear(year), month_word, day.value, time, out);
  }
  if (numbers.size() == 2) {
    const Element& a = numbers[0];
    const Element& b = numbers[1];
    if (b.digits > 2) return a.digits <= 2 && TryDay(b.value, a.value, 1, time, out);
    if (a.digits > 2) return TryDay(a.value, b.value, 1, time, out);
    const int year = CurrentYear();
    return TryDay(year, b.value, a.value, time, out) || TryDay(year, a.value, b.value, time, out);
  }
  if (numbers.size() != 3) return false;
  const Element& a = numbers[0];
  const Element& b = numbers[1];
  const Element& c = numbers[2];
  if (b.digits > 2) return false;
  if (a.digits > 2) {
    if (c.digits > 2) return false;
    return TryDay(a.value, b.value, c.value, time, out) ||
           TryDay(a.value, c.value, b.value, time, out);
  }
  const int year = FullYear(c);
  if (TryDay(year, b.value, a.value, time, out) || TryDay(year, a.value, b.value, time, out)) {
    return true;
  }
  // Last, a two-digit year first ("99/12/31").
  return c.digits <= 2 && TryDay(FullYear(a), b.value, c.value, time, out);
}

}  // namespace

bool TryParseDate(std::string_view text, Date& out) {
  auto tokens = Tokenize(text);
  if (!tokens) return false;
  bool bad_time = false;
  const std::optional<Time> time = TakeTime(*tokens, bad_time);
  if (bad_time) return false;
  std::vector<Element> elements;
  if (!CollectElements(*tokens, elements)) return false;
  if (elements.empty()) {
    // A time alone is a time of day zero.
    if (!time) return false;
    return TryDay(1899, 12, 30, *time, out);
  }
  return Interpret(elements, time.value_or(Time{}), out);
}

}  // namespace tpl

// Numbers as text: typed numbers read under the regional settings, and
// Doubles written under them.
#include "values/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "values/regional_settings.h"
#include "tpl/runtime_error.h"

namespace tpl::detail {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decimal digits gathered while scanning, turned into a double with correct
// rounding by from_chars (independent of the C locale).
struct DecimalDigits {
  std::string mantissa;  // digits, with "." where the decimal separator was
  bool any_digit = false;
  bool has_point = false;
  long exponent = 0;
  bool exponent_negative = false;

  ReadStatus ToDouble(bool negative, double& out) const {
    std::string text = mantissa.empty() ? "0" : mantissa;
    if (exponent != 0) {
      text += 'e';
      if (exponent_negative) text += '-';
      text += std::to_string(exponent);
    }
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                     std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
      // Too small reads as zero, as the platform ignores underflow.
      if (exponent_negative) {
        value = 0;
      } else {
        return ReadStatus::kOverflow;
      }
    } else if (ec != std::errc() || end != text.data() + text.size()) {
      return ReadStatus::kNotANumber;
    }
    if (std::isinf(value)) return ReadStatus::kOverflow;
    out = negative ? -value : value;
    return ReadStatus::kOk;
  }
};

// Adds exponent digits without letting a long run overflow the counter.
void AddExponentDigit(long& exponent, char c) {
  if (exponent < 100000) exponent = exponent * 10 + (c - '0');
}

bool StartsWith(std::string_view text, size_t at, std::string_view prefix) {
  return text.substr(at, prefix.size()) == prefix;
}

}  // namespace

ReadNumber ReadRegionalNumber(std::string_view text) {
  using regional::kCurrencySymbol;
  using regional::kDecimalSeparator;
  using regional::kThousandsSeparator;

  ReadNumber result;
  size_t i = 0;
  const size_t n = text.size();
  bool leading_plus = false, leading_minus = false, parens = false, currency = false;
  bool negative = false;
  DecimalDigits digits;

  // Leading symbols and blanks, in any order, each at most once. A decimal
  // separator here starts the fraction (",5").
  while (i < n) {
    const char c = text[i];
    if (c == kDecimalSeparator) {
      digits.has_point = true;
      digits.mantissa += '.';
      ++i;
      break;
    } else if (IsBlank(c)) {
      ++i;
    } else if (c == kThousandsSeparator) {
      return result;  // not allowed before the first digit
    } else if (c == '+' && !leading_plus) {
      leading_plus = true;
      ++i;
    } else if (c == '-' && !leading_minus) {
      leading_minus = negative = true;
      ++i;
    } else if (!currency && StartsWith(text, i, kCurrencySymbol)) {
      currency = true;
      i += kCurrencySymbol.size();
    } else if (c == '(' && !parens) {
      parens = true;
      ++i;
    } else {
      break;
    }
  }

  int radix_shift = 0;  // 4 for hexadecimal, 3 for octal
  if (!currency && !digits.has_point && i + 1 < n && text[i] == '&') {
    const char kind = text[i + 1];
    if (kind == 'H' || kind == 'h') radix_shift = 4;
    if (kind == 'O' || kind == 'o') radix_shift = 3;
    if (radix_shift != 0) i += 2;
  }

  bool radix_digit = false;
  bool in_exponent = false, exponent_sign = false, exponent_digit = false;
  uint64_t bits = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (radix_shift != 0) {
      const int d = HexDigit(c);
      if (d < 0 || d >= (1 << radix_shift)) break;
      if (bits > (std::numeric_limits<uint64_t>::max() >> radix_shift)) {
        result.status = ReadStatus::kOverflow;
        return result;
      }
      bits = (bits << radix_shift) | static_cast<uint64_t>(d);
      radix_digit = true;
    } else if (in_exponent) {
      if (IsDigit(c)) {
        AddExponentDigit(digits.exponent, c);
        exponent_digit = true;
      } else if (!exponent_digit && !exponent_sign && (c == '+' || c == '-')) {
        exponent_sign = true;
        digits.exponent_negative = (c == '-');
      } else {
        break;
      }
    } else if (IsDigit(c)) {
      digits.mantissa += c;
      digits.any_digit = true;
    } else if (c == kThousandsSeparator) {
      // Thousands separators are ignored wherever they stand after a digit.
    } else if (c == kDecimalSeparator && !digits.has_point) {
      digits.has_point = true;
      digits.mantissa += '.';
    } else if ((c == 'e' || c == 'E') && !currency) {
      in_exponent = true;
    } else {
      break;
    }
  }
  if (in_exponent && !exponent_digit) return result;  // "1E" or "1E+"

  // Trailing blanks and symbols.
  while (i < n) {
    const char c = text[i];
    if (c == kThousandsSeparator && radix_shift == 0) {
      ++i;
    } else if (IsBlank(c)) {
      ++i;
    } else if (c == '+' && !leading_plus) {
      leading_plus = true;
      ++i;
    } else if (c == '-' && !leading_minus) {
      leading_minus = negative = true;
      ++i;
    } else if (c == ')' && parens) {
      parens = false;
      negative = true;
      ++i;
    } else if (radix_shift == 0 && !currency && StartsWith(text, i, kCurrencySymbol)) {
      currency = true;
      i += kCurrencySymbol.size();
    } else {
      break;
    }
  }
  if (parens || i != n) return result;  // unmatched "(" or text left over

  if (radix_shift != 0) {
    if (!radix_digit) return result;
    result.is_radix = true;
    result.negative = negative;
    result.bits = bits;
    // As a Double a bit pattern must fit 31 bits; a negative sign applies.
    if (bits > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
      result.status = ReadStatus::kOverflow;
      result.value = 0;
    } else {
      result.status = ReadStatus::kOk;
      result.value = negative ? -static_cast<double>(bits) : static_cast<double>(bits);
    }
    return result;
  }
  if (!digits.any_digit) return result;
  result.status = digits.ToDouble(negative, result.value);
  return result;
}

double ReadLeadingNumber(std::string_view text) {
  // Blanks, tabs, line feeds and carriage returns are dropped wherever they
  // stand.
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
  }
  size_t i = 0;
  const size_t n = s.size();

  if (n >= 2 && s[0] == '&') {
    int shift = 0;
    if (s[1] == 'H' || s[1] == 'h') shift = 4;
    if (s[1] == 'O' || s[1] == 'o') shift = 3;
    if (shift == 0) return 0;
    uint64_t bits = 0;
    for (i = 2; i < n; ++i) {
      const int d = HexDigit(s[i]);
      if (d < 0 || d >= (1 << shift)) break;
      bits = (bits << shift) | static_cast<uint64_t>(d);
      if (bits > 0xFFFFFFFFu) Raise(error::kOverflow);
    }
    // The platform reads up to 16 bits as an Integer and up to 32 as a Long,
    // so "&HFFFF" is -1 and "&H10000" is 65536.
    if (bits <= 0xFFFFu) return static_cast<int16_t>(static_cast<uint16_t>(bits));
    return static_cast<int32_t>(static_cast<uint32_t>(bits));
  }

  DecimalDigits digits;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negative = (s[i] == '-');
    ++i;
  }
  for (; i < n && IsDigit(s[i]); ++i) digits.mantissa += s[i];
  if (i < n && s[i] == '.') {
    digits.mantissa += '.';
    for (++i; i < n && IsDigit(s[i]); ++i) digits.mantissa += s[i];
  }
  if (digits.mantissa.empty() || digits.mantissa == ".") return 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    bool exponent_negative = false;
    if (j < n && (s[j] == '+' || s[j] == '-')) {
      exponent_negative = (s[j] == '-');
      ++j;
    }
    long exponent = 0;
    bool any = false;
    for (; j < n && IsDigit(s[j]); ++j) {
      AddExponentDigit(exponent, s[j]);
      any = true;
    }
    if (any) {
      digits.exponent = exponent;
      digits.exponent_negative = exponent_negative;
    }
  }
  double value = 0;
  if (digits.ToDouble(negative, value) == ReadStatus::kOverflow) Raise(error::kOverflow);
  return value;
}

std::string DoubleText(double value) {
  if (value == 0) return "0";  // also -0
  if (std::isnan(value)) return std::string("-1") + regional::kDecimalSeparator + "#IND";
  if (std::isinf(value)) {
    return std::string(value < 0 ? "-1" : "1") + regional::kDecimalSeparator + "#INF";
  }
  char buffer[40];
  // Fifteen significant digits in "general" form is exactly the platform's
  // choice between plain and scientific notation.
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::general, 15);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  for (char& c : text) {
    if (c == '.') c = regional::kDecimalSeparator;
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace tpl::detail

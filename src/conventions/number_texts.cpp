#include "conventions/value_helpers.h"

#include <cmath>
#include <string>
#include <string_view>

#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {

namespace {

// The platform's decimal separator, found the way the platform reveals it:
// by the text of one half.
std::string_view DecimalSeparator() {
  static const std::string separator = InStr(CStr(Variant(0.5)), ".") > 0 ? "." : ",";
  return separator;
}

size_t CountOccurrences(std::string_view text, std::string_view what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

}  // namespace

Variant mNormaliza_Numero(const Variant& value) {
  try {
    // A number's own text holds only the platform's separator, never the
    // foreign one, so a number always comes back unchanged.
    if (value.IsNumber()) return value;
    std::string_view own = DecimalSeparator();
    std::string_view foreign = own == "." ? "," : ".";
    if (value.IsNull() || value.IsEmpty() || TextEquals(value, "")) return Variant::Integer(0);
    std::string text = CStr(value);
    if (CountOccurrences(text, foreign) != 1) return value;
    return Variant(Replace(text, foreign, own));
  } catch (...) {
    return Variant::Integer(0);
  }
}

namespace {

// Number of places asked for: the numeric value of the decimals text.
int DecimalPlaces(const Variant& decimals) {
  double places = Val(TextOrEmpty(decimals));
  return places > 0 ? static_cast<int>(places) : 0;
}

bool IsZero(const Variant& value) { return CompareWithNumber(value, 0) == 0; }

// Rounds values strictly between -1 and 1 to `places` (half to even), so
// that 0.125 shows as 0,12 and 0.004 counts as zero with two places.
Variant RoundSmallValue(const Variant& value, int places) {
  if (CompareWithNumber(value, -1) > 0 && CompareWithNumber(value, 1) < 0) {
    double scale = std::pow(10.0, places);
    return Variant(RoundHalfEven(CDbl(value) * scale) / scale);
  }
  return value;
}

// The value's text cut or padded to exactly `places` decimals, comma first.
std::string DecimalText(const Variant& value, int places) {
  std::string text = CStr(value);
  std::string integer_part;
  std::string decimal_part;
  size_t comma = InStr(text, ",");
  if (comma > 0) {
    integer_part = Left(text, comma - 1);
    decimal_part = Mid(text, comma + 1);
    if (Len(decimal_part) >= static_cast<size_t>(places)) {
      decimal_part = Left(decimal_part, places);
    } else {
      decimal_part.append(places - Len(decimal_part), '0');
    }
  } else {
    integer_part = text;
    decimal_part.assign(places, '0');
  }
  if (integer_part.empty()) integer_part.assign(1, '0');
  return Trim(integer_part) + "," + decimal_part;
}

// The same text for a finite number, without the round trips through
// Variant and the character-counting routines: a number's text is plain
// ASCII (digits, sign, comma, exponent), so bytes are characters here.
std::string NumberDecimalText(double number, int places) {
  std::string text = CStr(Variant(number));
  const size_t comma = text.find(',');
  std::string decimal_part = comma == std::string::npos ? std::string() : text.substr(comma + 1);
  if (comma != std::string::npos) text.resize(comma);
  decimal_part.resize(static_cast<size_t>(places), '0');  // cuts or pads
  if (text.empty()) text.assign(1, '0');
  text += ',';
  text += decimal_part;
  return text;
}

bool IsFiniteNumber(const Variant& value) {
  return value.IsNumber() && std::isfinite(CDbl(value));
}

}  // namespace

Variant FormatDecimalNumber(double number, int places, const Variant& result_if_zero) {
  if (number > -1 && number < 1) {
    double scale = std::pow(10.0, places);
    number = RoundHalfEven(number * scale) / scale;
  }
  if (number == 0) return result_if_zero;
  return Variant(NumberDecimalText(number, places));
}

Variant mFormata_Decimal(const Variant& value, const Variant& fallback, const Variant& decimals,
                         const Variant& zero_display_flag) {
  try {
    int places = DecimalPlaces(decimals);
    bool show_zero = TrimmedText(zero_display_flag) == "S";
    Variant result_if_zero = fallback;
    if (show_zero && IsNumeric(value)) result_if_zero = Variant("0,00");
    if (IsFiniteNumber(value)) return FormatDecimalNumber(CDbl(value), places, result_if_zero);
    if (value.IsNull() || value.IsEmpty() || TextEquals(value, "")) return result_if_zero;
    if (!show_zero && IsZero(value)) return result_if_zero;
    Variant rounded = RoundSmallValue(value, places);
    if (IsZero(rounded)) return result_if_zero;
    return Variant(DecimalText(rounded, places));
  } catch (...) {
    return Variant::Integer(0);
  }
}

Variant mFormata_Decimal_Simples(const Variant& value, const Variant& fallback,
                                 const Variant& decimals) {
  try {
    int places = DecimalPlaces(decimals);
    if (IsFiniteNumber(value)) return FormatDecimalNumber(CDbl(value), places, fallback);
    if (value.IsNull() || value.IsEmpty() || TextEquals(value, "")) return fallback;
    if (IsZero(value)) return fallback;
    Variant rounded = RoundSmallValue(value, places);
    if (IsZero(rounded)) return fallback;
    return Variant(DecimalText(rounded, places));
  } catch (...) {
    return Variant::Integer(0);
  }
}

}  // namespace tpl

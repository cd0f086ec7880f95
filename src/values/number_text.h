// Numbers as text under the regional settings: the regional reading of
// typed numbers behind CDbl, CInt, CLng and IsNumeric, the leading-number
// reading behind Val, and the text a Double is written as (CStr).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tpl::detail {

enum class ReadStatus { kOk, kNotANumber, kOverflow };

// A number read from text. Hexadecimal and octal texts ("&H1F", "&O17")
// keep their bit pattern, because each target type reads it differently
// ("&HFFFF" is -1 as an Integer and 65535 as a Long).
struct ReadNumber {
  ReadStatus status = ReadStatus::kNotANumber;
  double value = 0;     // decimal texts, and bit patterns that fit 31 bits
  bool is_radix = false;
  bool negative = false;  // hexadecimal and octal texts only: a sign was read
  uint64_t bits = 0;      // hexadecimal and octal texts only
};

// The platform's reading of a whole text as a number under the regional
// settings: blanks around; one leading or trailing sign; parentheses for a
// negative number; the currency symbol before or after; thousands points
// anywhere after the first digit (ignored, never checked for grouping); one
// decimal comma; an exponent E with optional sign; or &H / &O followed by
// hexadecimal or octal digits. Anything else left over refuses the text.
ReadNumber ReadRegionalNumber(std::string_view text);

// The platform's Val. Raises overflow (6) for a number beyond Double or a
// hexadecimal text of more than 32 bits.
double ReadLeadingNumber(std::string_view text);

// The platform's text of a Double: at most 15 significant digits, decimal
// comma, no grouping, trailing zeros dropped; scientific notation ("1E+20",
// "1,5E-07") when the decimal exponent is below -4 or above 14.
std::string DoubleText(double value);

}  // namespace tpl::detail

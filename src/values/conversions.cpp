// Conversions of Variants under the platform's rules and the regional
// settings, plus the numeric and date tests built on them.
#include "tpl/conversions.h"

#include <cmath>
#include <limits>

#include "values/conversion_status.h"
#include "values/date_calendar.h"
#include "values/number_text.h"
#include "values/regional_settings.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace detail {
namespace {

Conversion FromRead(const ReadNumber& read) {
  switch (read.status) {
    case ReadStatus::kOk: return Conversion::kOk;
    case ReadStatus::kOverflow: return Conversion::kOverflow;
    default: return Conversion::kTypeMismatch;
  }
}

// Whole number of a double, half to even, checked against [low, high].
template <typename Int>
Conversion RoundInto(double value, Int& out) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    return Conversion::kOverflow;  // NaN lands here too
  }
  out = static_cast<Int>(rounded);
  return Conversion::kOk;
}

// A text converted to a whole number of the width of Int. Hexadecimal and
// octal texts keep their bit pattern when it fits that width ("&HFFFF" is
// -1 as an Integer).
template <typename UInt, typename Int>
Conversion TextToWhole(const std::string& text, Int& out) {
  const ReadNumber read = ReadRegionalNumber(text);
  if (read.is_radix && read.status != ReadStatus::kNotANumber) {
    if (read.bits > std::numeric_limits<UInt>::max()) return Conversion::kOverflow;
    const auto pattern = static_cast<Int>(static_cast<UInt>(read.bits));
    if (read.negative && pattern == std::numeric_limits<Int>::min()) return Conversion::kOverflow;
    out = read.negative ? static_cast<Int>(-pattern) : pattern;
    return Conversion::kOk;
  }
  if (read.status != ReadStatus::kOk) return FromRead(read);
  return RoundInto(read.value, out);
}

template <typename UInt, typename Int>
Conversion ToWhole(const Variant& v, Int& out) {
  switch (v.type()) {
    case VarType::Empty: out = 0; return Conversion::kOk;
    case VarType::Null: return Conversion::kNull;
    case VarType::Integer: return RoundInto(v.AsInteger(), out);
    case VarType::Long: return RoundInto(v.AsLong(), out);
    case VarType::Double: return RoundInto(v.AsDouble(), out);
    case VarType::Date: return RoundInto(v.AsDate().serial, out);
    case VarType::Boolean: out = v.AsBoolean() ? -1 : 0; return Conversion::kOk;
    case VarType::String: return TextToWhole<UInt>(v.AsString(), out);
    default: return Conversion::kTypeMismatch;
  }
}

// ASCII case-insensitive equality (the Boolean words have no accents).
bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

Conversion ToDouble(const Variant& v, double& out) {
  switch (v.type()) {
    case VarType::Empty: out = 0; return Conversion::kOk;
    case VarType::Null: return Conversion::kNull;
    case VarType::Integer: out = v.AsInteger(); return Conversion::kOk;
    case VarType::Long: out = v.AsLong(); return Conversion::kOk;
    case VarType::Double: out = v.AsDouble(); return Conversion::kOk;
    case VarType::Date: out = v.AsDate().serial; return Conversion::kOk;
    case VarType::Boolean: out = v.AsBoolean() ? -1 : 0; return Conversion::kOk;
    case VarType::String: {
      const ReadNumber read = ReadRegionalNumber(v.AsString());
      if (read.status == ReadStatus::kOk) out = read.value;
      return FromRead(read);
    }
    default: return Conversion::kTypeMismatch;
  }
}

Conversion ToInteger(const Variant& v, int16_t& out) { return ToWhole<uint16_t>(v, out); }

Conversion ToLong(const Variant& v, int32_t& out) { return ToWhole<uint32_t>(v, out); }

Conversion ToText(const Variant& v, std::string& out) {
  switch (v.type()) {
    case VarType::Empty: out.clear(); return Conversion::kOk;
    case VarType::Null: return Conversion::kNull;
    case VarType::Integer: out = std::to_string(v.AsInteger()); return Conversion::kOk;
    case VarType::Long: out = std::to_string(v.AsLong()); return Conversion::kOk;
    case VarType::Double: out = DoubleText(v.AsDouble()); return Conversion::kOk;
    case VarType::Date:
      if (!IsSerialInRange(v.AsDate().serial)) return Conversion::kOverflow;
      out = DateText(v.AsDate());
      return Conversion::kOk;
    case VarType::Boolean:
      out = v.AsBoolean() ? regional::kTrueText : regional::kFalseText;
      return Conversion::kOk;
    case VarType::String: out = v.AsString(); return Conversion::kOk;
    default: return Conversion::kTypeMismatch;
  }
}

Conversion ToBoolean(const Variant& v, bool& out) {
  if (v.IsString()) {
    // The regional words and the platform's English ones, in any case.
    const std::string_view word = TrimBlanks(v.AsString());
    if (SameWord(word, regional::kTrueText) || SameWord(word, "True")) {
      out = true;
      return Conversion::kOk;
    }
    if (SameWord(word, regional::kFalseText) || SameWord(word, "False")) {
      out = false;
      return Conversion::kOk;
    }
  }
  if (v.type() == VarType::Boolean) {
    out = v.AsBoolean();
    return Conversion::kOk;
  }
  double number = 0;
  const Conversion result = ToDouble(v, number);
  if (result == Conversion::kOk) out = number != 0;
  return result;
}

Conversion ToDate(const Variant& v, Date& out) {
  double serial = 0;
  switch (v.type()) {
    case VarType::Date:
      if (!IsSerialInRange(v.AsDate().serial)) return Conversion::kOverflow;
      out = v.AsDate();
      return Conversion::kOk;
    case VarType::Null: return Conversion::kNull;
    case VarType::String:
      return TryParseDate(v.AsString(), out) ? Conversion::kOk : Conversion::kTypeMismatch;
    case VarType::Empty:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean:
      ToDouble(v, serial);
      if (!IsSerialInRange(serial)) return Conversion::kOverflow;
      out.serial = serial;
      return Conversion::kOk;
    default: return Conversion::kTypeMismatch;
  }
}

void RaiseFor(Conversion failure) {
  switch (failure) {
    case Conversion::kOverflow: Raise(error::kOverflow);
    case Conversion::kNull: Raise(error::kInvalidUseOfNull);
    default: Raise(error::kTypeMismatch);
  }
}

}  // namespace detail

namespace {
template <typename T>
T Checked(detail::Conversion (*convert)(const Variant&, T&), const Variant& v) {
  T out{};
  const detail::Conversion result = convert(v, out);
  if (result != detail::Conversion::kOk) detail::RaiseFor(result);
  return out;
}
}  // namespace

bool TryToDouble(const Variant& v, double& out) {
  return detail::ToDouble(v, out) == detail::Conversion::kOk;
}
bool TryToInteger(const Variant& v, int16_t& out) {
  return detail::ToInteger(v, out) == detail::Conversion::kOk;
}
bool TryToLong(const Variant& v, int32_t& out) {
  return detail::ToLong(v, out) == detail::Conversion::kOk;
}
bool TryToText(const Variant& v, std::string& out) {
  return detail::ToText(v, out) == detail::Conversion::kOk;
}
bool TryToBoolean(const Variant& v, bool& out) {
  return detail::ToBoolean(v, out) == detail::Conversion::kOk;
}
bool TryToDate(const Variant& v, Date& out) {
  return detail::ToDate(v, out) == detail::Conversion::kOk;
}

double CDbl(const Variant& v) { return Checked(detail::ToDouble, v); }
int16_t CInt(const Variant& v) { return Checked(detail::ToInteger, v); }
int32_t CLng(const Variant& v) { return Checked(detail::ToLong, v); }
std::string CStr(const Variant& v) { return Checked(detail::ToText, v); }
bool CBool(const Variant& v) { return Checked(detail::ToBoolean, v); }
Date CDate(const Variant& v) { return Checked(detail::ToDate, v); }

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;  // exact for doubles
  if (fraction < 0.5) return floor;
  if (fraction > 0.5) return floor + 1;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

double Val(std::string_view text) { return detail::ReadLeadingNumber(text); }

bool IsNumeric(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:  // converts to 0, as the platform says
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean:
      return true;
    case VarType::String:
      return detail::ReadRegionalNumber(v.AsString()).status == detail::ReadStatus::kOk;
    default:
      return false;  // Null, Date, Object, Array
  }
}

bool IsDate(const Variant& v) {
  Date ignored;
  if (v.type() == VarType::Date) return true;
  return v.IsString() && TryParseDate(v.AsString(), ignored);
}

}  // namespace tpl

// The Variant rules under attack: every conversion, the number and date
// readers, comparison, arithmetic, date masks and the text routines.
//
// Input: line 1 a value, line 2 a date mask, line 3 a second value (values
// as in fuzz_input.h; a plain line is a String). Only RuntimeError may come
// out of the conversions, and each pair of conversions must agree: TryTo...
// fails exactly when C... raises, IsNumeric and IsDate answer as the
// conversions do, and what is written as text reads back as the same value.
#include <cmath>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl::fuzz {
namespace {

// The value shown in a failure: its text when it has one.
std::string Show(const Variant& value) {
  std::string text;
  if (TryToText(value, text)) return "\"" + text + "\" (type " + std::to_string(int(value.type())) + ")";
  return "a value of type " + std::to_string(int(value.type()));
}

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool Same(Date a, Date b) { return Same(a.serial, b.serial); }
template <typename T>
bool Same(const T& a, const T& b) {
  return a == b;
}

// TryTo... and C... must agree: one fails exactly when the other raises,
// and both give the same value.
template <typename Out, typename Try, typename Convert>
std::optional<Out> CheckPair(const char* name, const Variant& value, Try try_to, Convert convert) {
  Out tried{};
  const bool ok = try_to(value, tried);
  try {
    const Out converted = convert(value);
    if (!ok) Fail(std::string("C") + name + " converts " + Show(value) + " that TryTo" + name + " refuses");
    if (!Same(converted, tried)) Fail(std::string("C") + name + " and TryTo" + name + " differ on " + Show(value));
  } catch (const RuntimeError&) {
    if (ok) Fail(std::string("C") + name + " raises on " + Show(value) + " that TryTo" + name + " converts");
  }
  return ok ? std::optional<Out>(tried) : std::nullopt;
}

// Fifteen significant digits are written, so the text reads back to within
// a few units of the last of them.
bool CloseEnough(double written, double read) {
  if (Same(written, read)) return true;
  return std::isfinite(written) && std::fabs(written - read) <= 1e-13 * std::fabs(written);
}

// What TryToText writes must read back as the value it came from.
void CheckTextReadsBack(const Variant& value, const std::string& text) {
  const Variant as_text(text);
  switch (value.type()) {
    case VarType::Integer:
    case VarType::Long: {
      int32_t number;
      if (!TryToLong(as_text, number) || number != CLng(value))
        Fail("the text " + text + " of a whole number does not read back");
      break;
    }
    case VarType::Double: {
      double number;
      if (!std::isfinite(value.AsDouble())) break;
      if (!TryToDouble(as_text, number) || !CloseEnough(value.AsDouble(), number))
        Fail("the text " + text + " of a Double does not read back");
      break;
    }
    case VarType::Date: {
      Date date;
      const DateParts written = SplitDate(value.AsDate());
      if (!TryParseDate(text, date)) Fail("the text " + text + " of a Date is not a date");
      const DateParts read = SplitDate(date);
      // The text of a date on day zero holds only its time, and 30/12/1899
      // is day zero.
      if (read.hour != written.hour || read.minute != written.minute || read.second != written.second ||
          ((read.year != written.year || read.month != written.month || read.day != written.day) &&
           !(read.year == 1899 && read.month == 12 && read.day == 30)))
        Fail("the text " + text + " of a Date reads back as another date");
      break;
    }
    case VarType::Boolean: {
      bool flag;
      if (!TryToBoolean(as_text, flag) || flag != value.AsBoolean())
        Fail("the text " + text + " of a Boolean does not read back");
      break;
    }
    default:
      break;
  }
}

// Every date read from a text names a real day and time.
void CheckDateReading(std::string_view text) {
  Date date;
  if (!TryParseDate(text, date)) return;
  const DateParts parts = SplitDate(date);
  Date remade;
  if (!TryMakeDate(parts, remade) || std::fabs(remade.serial - date.serial) > 0.5 / 86400)
    Fail("the date read from \"" + std::string(text) + "\" is no real date");
}

void CheckConversions(const Variant& value) {
  CheckPair<double>("Dbl", value, [](const Variant& v, double& o) { return TryToDouble(v, o); }, CDbl);
  CheckPair<int16_t>("Int", value, [](const Variant& v, int16_t& o) { return TryToInteger(v, o); }, CInt);
  CheckPair<int32_t>("Lng", value, [](const Variant& v, int32_t& o) { return TryToLong(v, o); }, CLng);
  CheckPair<bool>("Bool", value, [](const Variant& v, bool& o) { return TryToBoolean(v, o); }, CBool);
  CheckPair<Date>("Date", value, [](const Variant& v, Date& o) { return TryToDate(v, o); }, CDate);
  const std::optional<std::string> text =
      CheckPair<std::string>("Str", value, [](const Variant& v, std::string& o) { return TryToText(v, o); }, CStr);
  if (text) CheckTextReadsBack(value, *text);

  if (value.IsString()) {
    double number;
    Date date;
    if (IsNumeric(value) != TryToDouble(value, number))
      Fail("IsNumeric and CDbl disagree on " + Show(value));
    if (IsDate(value) != TryToDate(value, date)) Fail("IsDate and CDate disagree on " + Show(value));
  }
}

// Comparison in both directions must give opposite answers.
void CheckComparison(const Variant& a, const Variant& b) {
  std::optional<int> forward, backward;
  try {
    forward = Compare(a, b);
    backward = Compare(b, a);
  } catch (const RuntimeError&) {
    return;
  }
  if (forward.has_value() != backward.has_value() ||
      (forward && ((*forward < 0) != (*backward > 0) || (*forward == 0) != (*backward == 0))))
    Fail("Compare(a, b) and Compare(b, a) disagree on " + Show(a) + " and " + Show(b));
}

// A sum or difference is a Variant like any other, held to the same rules.
void CheckArithmetic(const Variant& a, const Variant& b) {
  for (auto operation : {Add, Subtract}) {
    Variant result;
    try {
      result = operation(a, b);
    } catch (const RuntimeError&) {
      continue;
    }
    CheckConversions(result);
  }
}

void CheckTextRoutines(const std::string& text, const std::string& other) {
  const size_t length = Len(text);
  try {
    Val(text);
  } catch (const RuntimeError&) {
  }
  CheckDateReading(text);
  UCase(text);
  LCase(text);
  Trim(text);
  Left(text, length / 2);
  Right(text, length / 2);
  Mid(text, 1 + length / 3, length / 3);
  const size_t found = InStr(text, other, 1);
  if (found > length + 1) Fail("InStr finds \"" + other + "\" past the end of \"" + text + "\"");
  if (!other.empty()) Replace(text, other, text.substr(0, 8));
}

}  // namespace

int FuzzConversions(const uint8_t* data, size_t size) {
  const std::string input = Expand(AsText(data, size));
  const std::vector<std::string_view> lines = SplitLines(input);
  const std::string first(lines[0]);
  const std::string mask(lines.size() > 1 ? lines[1] : std::string_view());
  const std::string third(lines.size() > 2 ? lines[2] : std::string_view());
  const Variant a = ReadValue(first);
  const Variant b = ReadValue(third);

  CheckConversions(a);
  CheckConversions(b);
  CheckComparison(a, b);
  CheckArithmetic(a, b);
  try {
    FormatDate(a, mask);
  } catch (const RuntimeError&) {
  }
  CheckTextRoutines(first, third);
  return 0;
}

}  // namespace tpl::fuzz

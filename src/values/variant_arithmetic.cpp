// The platform's "=", "<", "+" and "-" between Variants.
#include <algorithm>
#include <cmath>
#include <limits>

#include "values/conversion_status.h"
#include "values/date_calendar.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

template <typename T>
int Order(const T& x, const T& y) {
  return x < y ? -1 : (y < x ? 1 : 0);
}

bool IsNumericKind(VarType t) {
  return t == VarType::Empty || t == VarType::Integer || t == VarType::Long ||
         t == VarType::Double || t == VarType::Date || t == VarType::Boolean;
}

void RequireScalar(const Variant& v) {
  if (v.IsObject() || v.IsArray()) Raise(error::kTypeMismatch);
}

double NumberOf(const Variant& v) {
  double out = 0;
  const detail::Conversion result = detail::ToDouble(v, out);
  if (result != detail::Conversion::kOk) detail::RaiseFor(result);
  return out;
}

// Width of a whole-number result: Empty and Boolean count as Integer.
enum class Width { kInteger, kLong, kDouble };

Width WidthOf(VarType t) {
  switch (t) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer: return Width::kInteger;
    case VarType::Long: return Width::kLong;
    default: return Width::kDouble;  // Double, Date, numeric text
  }
}

// A whole-number result in the narrowest type at least `width` wide that
// holds it: Integer widens to Long, Long to Double.
Variant WholeResult(int64_t value, Width width) {
  if (width == Width::kInteger && value >= std::numeric_limits<int16_t>::min() &&
      value <= std::numeric_limits<int16_t>::max()) {
    return Variant(static_cast<int16_t>(value));
  }
  if (value >= std::numeric_limits<int32_t>::min() &&
      value <= std::numeric_limits<int32_t>::max()) {
    return Variant(static_cast<int32_t>(value));
  }
  return Variant(static_cast<double>(value));
}

Variant DoubleResult(double value) {
  if (std::isinf(value)) Raise(error::kOverflow);
  return Variant(value);
}

Variant DateResult(double serial) {
  if (!detail::IsSerialInRange(serial)) Raise(error::kOverflow);
  return Variant(Date{serial});
}

int64_t WholeOf(const Variant& v) {
  switch (v.type()) {
    case VarType::Integer: return v.AsInteger();
    case VarType::Long: return v.AsLong();
    case VarType::Boolean: return v.AsBoolean() ? -1 : 0;
    default: return 0;  // Empty
  }
}

// Arithmetic on two non-Null operands that are not two texts. `sign` is +1
// for "+" and -1 for "-".
Variant Arithmetic(const Variant& a, const Variant& b, int sign) {
  const VarType ta = a.type(), tb = b.type();
  const bool a_date = ta == VarType::Date, b_date = tb == VarType::Date;
  if (a_date || b_date) {
    const double x = NumberOf(a), y = NumberOf(b);
    // The difference of two dates is a number of days; anything else
    // added to or taken from a date moves the date.
    if (sign < 0 && a_date && b_date) return DoubleResult(x - y);
    return DateResult(x + sign * y);
  }
  const Width width = std::max(WidthOf(ta), WidthOf(tb));
  if (width == Width::kDouble) return DoubleResult(NumberOf(a) + sign * NumberOf(b));
  return WholeResult(WholeOf(a) + sign * WholeOf(b), width);
}

}  // namespace

std::optional<int> Compare(const Variant& a, const Variant& b) {
  RequireScalar(a);
  RequireScalar(b);
  if (a.IsNull() || b.IsNull()) return std::nullopt;
  const VarType ta = a.type(), tb = b.type();
  if (IsNumericKind(ta) && IsNumericKind(tb)) return Order(NumberOf(a), NumberOf(b));
  if (a.IsString() && b.IsString()) return Order(a.AsString(), b.AsString());
  // Empty beside a text reads as the empty text.
  if (ta == VarType::Empty) return b.AsString().empty() ? 0 : -1;
  if (tb == VarType::Empty) return a.AsString().empty() ? 0 : 1;
  // A number beside a text: the number is the smaller.
  return a.IsString() ? 1 : -1;
}

std::optional<int> CompareWithNumber(const Variant& v, double number) {
  RequireScalar(v);
  if (v.IsNull()) return std::nullopt;
  return Order(NumberOf(v), number);
}

Variant Add(const Variant& a, const Variant& b) {
  RequireScalar(a);
  RequireScalar(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  // Two texts, or a text and Empty, concatenate.
  if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty()) &&
      (a.IsString() || b.IsString())) {
    std::string text = a.IsString() ? a.AsString() : std::string();
    if (b.IsString()) text += b.AsString();
    return Variant(std::move(text));
  }
  return Arithmetic(a, b, +1);
}

Variant Subtract(const Variant& a, const Variant& b) {
  RequireScalar(a);
  RequireScalar(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  return Arithmetic(a, b, -1);
}

}  // namespace tpl

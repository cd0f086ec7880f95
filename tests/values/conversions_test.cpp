// Conversions under the platform's rules and the Brazilian regional settings: accepted and refused texts, rounding,
// overflow, number texts.
#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <type_traits>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

// A value, what it converts to, or else the error it raises (0: none).
template <typename T>
struct Case { Variant in; T out{}; int32_t error = 0; };

// Checks a conversion, and its Try form when given: that one succeeds exactly when the conversion raises nothing.
template <typename T, typename Convert, typename Try = std::nullptr_t>
void ExpectConversions(Convert convert, std::initializer_list<Case<T>> rows, Try try_convert = nullptr) {
  size_t i = 0;
  for (const Case<T>& row : rows) {
    T out{};
    EXPECT_EQ(ErrorNumber([&] { out = convert(row.in); }), row.error) << "row " << i;
    EXPECT_EQ(row.error == 0 ? out : row.out, row.out) << "row " << i;
    if constexpr (!std::is_null_pointer_v<Try>) {
      T tried{};
      EXPECT_EQ(try_convert(row.in, tried), row.error == 0) << "row " << i;
      EXPECT_EQ(row.error == 0 ? tried : row.out, row.out) << "row " << i;
    }
    ++i;
  }
}

// Texts read under the Brazilian settings: comma decimals, dotted thousands, signs after the number or as
// parentheses, currency, hexadecimal and octal.
TEST(CDblTest, TextsAndOtherTypes) {
  ExpectConversions<double>(CDbl, {
      {Variant("1,5"), 1.5}, {Variant("1.5"), 15}, {Variant("1.234.567,89"), 1234567.89}, {Variant("\t12\n"), 12},
      {Variant("3-"), -3}, {Variant("(3)"), -3}, {Variant("- 3"), -3}, {Variant("-3+"), -3}, {Variant("1,5E+2"), 150},
      {Variant("1E-400"), 0}, {Variant("&hff"), 255}, {Variant("&O17"), 15}, {Variant("&H7FFFFFFF"), 2147483647.0},
      {Variant("-&H10"), -16}, {Variant(",5"), 0.5}, {Variant("5,"), 5}, {Variant("-R$ 1.000,00"), -1000},
      {Variant("10,50 R$"), 10.5}, {Variant("1,5.3"), 1.53}, {Variant(), 0}, {Variant(true), -1},
      {Variant(Date{37177.5}), 37177.5}, {Variant("1E400"), 0, 6}, {Variant("&HFFFFFFFF"), 0, 6},
      {Variant::Null(), 0, 94}, {Variant(Array::Vector(0)), 0, 13}, {Variant("abc"), 0, 13}, {Variant(""), 0, 13},
      {Variant("1,5,5"), 0, 13}, {Variant(".5"), 0, 13}, {Variant("1 2"), 0, 13}, {Variant("--3"), 0, 13},
      {Variant("-3-"), 0, 13}, {Variant("(3"), 0, 13}, {Variant("1E+"), 0, 13}, {Variant("&HG"), 0, 13},
      {Variant("&O8"), 0, 13}, {Variant("12abc"), 0, 13}, {Variant("13/10/2001"), 0, 13}, {Variant("1D3"), 0, 13}},
      TryToDouble);
}

TEST(CIntTest, RoundsHalfToEvenWithinBounds) {
  ExpectConversions<int16_t>(CInt, {
      {Variant("2,5"), 2}, {Variant(3.5), 4}, {Variant(-2.5), -2}, {Variant(true), -1}, {Variant(), 0},
      {Variant(32767.4), 32767}, {Variant(-32768.5), -32768}, {Variant("&HFFFF"), -1},
      {Variant(32767.5), 0, 6}, {Variant(-32768.6), 0, 6}, {Variant("&H10000"), 0, 6},
      {Variant(std::numeric_limits<double>::quiet_NaN()), 0, 6}, {Variant("x"), 0, 13},
      {Variant::Null(), 0, 94}}, TryToInteger);
}

TEST(CLngTest, RoundingAndBoundaries) {
  ExpectConversions<int32_t>(CLng, {
      {Variant(2147483646.5), 2147483646}, {Variant(-2147483648.5), -2147483647 - 1},
      {Variant("-2,5"), -2}, {Variant("&HFFFF"), 65535}, {Variant("&HFFFFFFFF"), -1},
      {Variant(2147483647.5), 0, 6}, {Variant(-2147483649.0), 0, 6}, {Variant("&H100000000"), 0, 6},
      {Variant("1,2,3"), 0, 13}, {Variant::Null(), 0, 94}});
}

Variant DateOf(const DateParts& parts) {
  Date d;
  EXPECT_TRUE(TryMakeDate(parts, d));
  return Variant(d);
}

TEST(CStrTest, Table) {
  ExpectConversions<std::string>(CStr, {
      {Variant(0.5), "0,5"}, {Variant(-12.5), "-12,5"}, {Variant(1e20), "1E+20"}, {Variant(0.0001), "0,0001"},
      {Variant(0.00001), "1E-05"}, {Variant(1.5e-7), "1,5E-07"}, {Variant(1e15), "1E+15"},
      {Variant(123456789012345.0), "123456789012345"}, {Variant(-0.0), "0"}, {Variant(0.1 + 0.2), "0,3"},
      {Variant(2.0 / 3), "0,666666666666667"}, {Variant(1.7976931348623157e308), "1,79769313486232E+308"},
      {Variant(), ""}, {Variant(int16_t{-32768}), "-32768"}, {Variant(true), "Verdadeiro"},
      {Variant(false), "Falso"}, {Variant::Null(), "", 94}, {Variant(Array::Vector(0)), "", 13},
      {DateOf({2001, 10, 13, 10, 20, 0}), "13/10/2001 10:20:00"}, {DateOf({2001, 10, 13}), "13/10/2001"},
      {DateOf({1899, 12, 30, 10, 20, 0}), "10:20:00"}, {DateOf({1899, 12, 30}), "00:00:00"},
      {DateOf({1899, 12, 29, 6, 0, 0}), "29/12/1899 06:00:00"}, {DateOf({100, 1, 1}), "01/01/0100"},
      {DateOf({9999, 12, 31, 23, 59, 59}), "31/12/9999 23:59:59"}, {Variant(Date{2958466}), "", 6}}, TryToText);
}

TEST(CDateTest, Table) {
  ExpectConversions<double>([](const Variant& v) { return CDate(v).serial; }, {
      {Variant(37177), 37177}, {Variant(), 0}, {Variant(true), -1}, {Variant("13/10/2001"), 37177},
      {Variant("abc"), 0, 13}, {Variant("37177"), 0, 13}, {Variant(3e6), 0, 6}, {Variant(-657435.0), 0, 6},
      {Variant(Date{-1e9}), 0, 6}, {Variant::Null(), 0, 94}});
}

TEST(ValTest, Table) {
  const struct { const char* text; double value; } rows[] = {
      {"10,50", 10}, {"abc", 0}, {"\t1\n2\r 3", 123}, {"  -3.5x", -3.5}, {"- 4", -4}, {"1E-2", 0.01},
      {"1D+2", 100}, {"1e+", 1}, {"-.5", -0.5}, {"5.e2", 500}, {"1.2.3", 1.2}, {"--5", 0}, {"3-", 3},
      {"& H 1 F", 31}, {"&O17", 15}, {"&HFFFF", -1}, {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&X1", 0},
      {"-&H10", 0},
  };
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(Val(row.text), row.value) << row.text;
  EXPECT_EQ(ErrorNumber([] { Val("1E400"); }), 6);
  EXPECT_EQ(ErrorNumber([] { Val("&H100000000"); }), 6);
}

// IsNumeric follows the conversions but for two rules of the platform: Empty is a number, a date is not.
TEST(IsNumericTest, EmptyIsANumberNullAndDatesAreNot) {
  const std::pair<Variant, bool> rows[] = {{Variant(), true}, {Variant::Null(), false}, {Variant(Date{1}), false},
                                           {Variant("(3)"), true}, {Variant("1 2"), false}};
  for (const auto& [value, numeric] : rows) EXPECT_EQ(IsNumeric(value), numeric) << static_cast<int>(value.type());
}

}  // namespace
}  // namespace tpl

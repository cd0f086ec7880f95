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

TEST(CDblTest, AcceptedTexts) {
  const struct { const char* text; double value; } rows[] = {
      {"1,5", 1.5}, {"1.000", 1000}, {"1.5", 15}, {"1.234.567,89", 1234567.89}, {"12.34.5", 12345},
      {" 12 ", 12}, {"\t12\n", 12}, {"-3", -3}, {"+3", 3}, {"3-", -3}, {"3+", 3}, {"(3)", -3},
      {"( 3 )", -3}, {"- 3", -3}, {"1E3", 1000}, {"1e3", 1000}, {"1,5E+2", 150}, {"25E-1", 2.5},
      {"&H1F", 31}, {"&hff", 255}, {"&O17", 15}, {"&H7FFFFFFF", 2147483647.0}, {"-&H10", -16},
      {",5", 0.5}, {"5,", 5}, {"007", 7}, {"1.000,", 1000}, {"R$ 10,50", 10.5}, {"10,50 R$", 10.5},
      {"-R$ 1.000,00", -1000}, {"1,E3", 1000}, {",5E1", 5}, {"1,5.3", 1.53}, {"-3+", -3}, {"1E-400", 0},
      {"00000000000000000000000000001", 1},
  };
  for (const auto& row : rows) {
    double out = -99;
    EXPECT_TRUE(TryToDouble(Variant(row.text), out)) << row.text;
    EXPECT_DOUBLE_EQ(out, row.value) << row.text;
    EXPECT_DOUBLE_EQ(CDbl(Variant(row.text)), row.value) << row.text;
  }
}

TEST(CDblTest, RefusedTextsAndOtherTypes) {
  for (const char* text : {"abc", "", " ", "1,5,5", ".5", "1 2", "--3", "-3-", "(3", "3)", "1E", "1E+", "E3",
                           "&H", "&HG", "&O8", "12abc", "1/2", "13/10/2001", "1D3", "Verdadeiro"}) {
    double out = 0;
    EXPECT_FALSE(TryToDouble(Variant(text), out)) << text;
    EXPECT_EQ(ErrorNumber([&] { CDbl(Variant(text)); }), 13) << text;
  }
  ExpectConversions<double>(CDbl, {{Variant("1E400"), 0, 6}, {Variant("&HFFFFFFFF"), 0, 6}, {Variant(), 0},
                                   {Variant(true), -1}, {Variant(false), 0}, {Variant(int16_t{-7}), -7},
                                   {Variant(70000), 70000}, {Variant(Date{37177.5}), 37177.5},
                                   {Variant::Null(), 0, 94}, {Variant(Array::Vector(0)), 0, 13}}, TryToDouble);
}

TEST(RoundHalfEvenTest, Table) {
  const struct { double in, out; } rows[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4, 2}, {2.6, 3}, {-2.6, -3},
      {-0.5, 0}, {0, 0}, {1e20, 1e20}, {32767.5, 32768}, {2147483646.5, 2147483646}};
  for (const auto& row : rows) EXPECT_EQ(RoundHalfEven(row.in), row.out) << row.in;
}

TEST(CIntTest, RoundsHalfToEvenWithinBounds) {
  ExpectConversions<int16_t>(CInt, {
      {Variant("2,5"), 2}, {Variant(3.5), 4}, {Variant(-2.5), -2}, {Variant(2.5), 2}, {Variant("3,5"), 4},
      {Variant(" 7 "), 7}, {Variant(true), -1}, {Variant(), 0}, {Variant(32767.4), 32767},
      {Variant(-32768.5), -32768}, {Variant("&HFFFF"), -1}, {Variant("&H7FFF"), 32767}, {Variant(Date{2.5}), 2},
      {Variant(int16_t{-5}), -5}, {Variant(-32768), -32768}, {Variant(32767), 32767}, {Variant(32767.5), 0, 6},
      {Variant(32768), 0, 6}, {Variant(-32769), 0, 6}, {Variant(-32768.6), 0, 6}, {Variant("32768"), 0, 6},
      {Variant("&H10000"), 0, 6}, {Variant(std::numeric_limits<double>::quiet_NaN()), 0, 6},
      {Variant("x"), 0, 13}, {Variant::Null(), 0, 94}}, TryToInteger);
}

TEST(CLngTest, RoundingAndBoundaries) {
  ExpectConversions<int32_t>(CLng, {
      {Variant(2147483646.5), 2147483646}, {Variant(2147483647.0), 2147483647},
      {Variant(-2147483648.5), -2147483647 - 1}, {Variant("1.000.000"), 1000000}, {Variant("-2,5"), -2},
      {Variant("&HFFFF"), 65535}, {Variant("&HFFFFFFFF"), -1}, {Variant("-&H10"), -16}, {Variant(int16_t{-3}), -3},
      {Variant(2147483647.5), 0, 6}, {Variant(-2147483649.0), 0, 6}, {Variant("1E10"), 0, 6},
      {Variant("&H100000000"), 0, 6}, {Variant("1,2,3"), 0, 13}, {Variant::Null(), 0, 94}});
}

struct Thing : Object {
  std::string TypeName() const override { return "Thing"; }
};

Variant DateOf(const DateParts& parts) {
  Date d;
  EXPECT_TRUE(TryMakeDate(parts, d));
  return Variant(d);
}

TEST(CStrTest, Table) {
  ExpectConversions<std::string>(CStr, {
      {Variant(0.5), "0,5"}, {Variant(1234.5678), "1234,5678"}, {Variant(-12.5), "-12,5"}, {Variant(1e20), "1E+20"},
      {Variant(0.0000001), "1E-07"}, {Variant(0.0001), "0,0001"}, {Variant(0.00001), "1E-05"},
      {Variant(1.5e-7), "1,5E-07"}, {Variant(1e15), "1E+15"}, {Variant(123456789012345.0), "123456789012345"},
      {Variant(1234567.0), "1234567"}, {Variant(-0.0), "0"}, {Variant(0.1 + 0.2), "0,3"}, {Variant(100), "100"},
      {Variant(1.0 / 3), "0,333333333333333"}, {Variant(2.0 / 3), "0,666666666666667"}, {Variant(-1e-20), "-1E-20"},
      {Variant(1.7976931348623157e308), "1,79769313486232E+308"}, {Variant(), ""},
      {Variant(int16_t{-32768}), "-32768"}, {Variant(2147483647), "2147483647"}, {Variant(true), "Verdadeiro"},
      {Variant(false), "Falso"}, {Variant("já"), "já"}, {Variant::Null(), "", 94},
      {Variant(Array::Vector(0)), "", 13}, {Variant(std::make_shared<Thing>()), "", 13},
      {DateOf({2001, 10, 13, 10, 20, 0}), "13/10/2001 10:20:00"},
      {DateOf({2001, 10, 13}), "13/10/2001"}, {DateOf({1899, 12, 30, 10, 20, 0}), "10:20:00"},
      {DateOf({1899, 12, 30}), "00:00:00"}, {DateOf({1899, 12, 29, 6, 0, 0}), "29/12/1899 06:00:00"},
      {DateOf({100, 1, 1}), "01/01/0100"}, {DateOf({100, 1, 1, 23, 59, 59}), "01/01/0100 23:59:59"},
      {DateOf({9999, 12, 31, 23, 59, 59}), "31/12/9999 23:59:59"}, {Variant(Date{2958466}), "", 6}}, TryToText);
}

TEST(CBoolTest, Table) {
  ExpectConversions<bool>(CBool, {
      {Variant("Verdadeiro"), true}, {Variant("falso"), false}, {Variant("TRUE"), true}, {Variant("False"), false},
      {Variant(" true "), true}, {Variant("0"), false}, {Variant("-1"), true}, {Variant("0,5"), true},
      {Variant(0.0), false}, {Variant(2), true}, {Variant(), false}, {Variant(true), true},
      {Variant(Date{0}), false}, {Variant(int16_t{0}), false}, {Variant("sim"), false, 13},
      {Variant(""), false, 13}, {Variant::Null(), false, 94}}, TryToBoolean);
}

TEST(CDateTest, Table) {
  ExpectConversions<double>([](const Variant& v) { return CDate(v).serial; }, {
      {Variant(37177), 37177}, {Variant(), 0}, {Variant(true), -1}, {Variant("13/10/2001"), 37177},
      {Variant("abc"), 0, 13}, {Variant("37177"), 0, 13}, {Variant(3e6), 0, 6}, {Variant(-657435.0), 0, 6},
      {Variant(Date{-1e9}), 0, 6}, {Variant::Null(), 0, 94}});
}

TEST(ValTest, Table) {
  const struct { const char* text; double value; } rows[] = {
      {"10,50", 10}, {"abc", 0}, {"", 0}, {" 1 2", 12}, {"12.5", 12.5}, {"  -3.5x", -3.5}, {"+4", 4},
      {"- 4", -4}, {"1e3", 1000}, {"1E-2", 0.01}, {"1d2", 100}, {"1D+2", 100}, {"1e", 1}, {"1e+", 1},
      {".5", 0.5}, {"-.5", -0.5}, {"5.", 5}, {"1.2.3", 1.2}, {"\t1\n2\r3", 123}, {"--5", 0}, {"&H1F", 31},
      {"&hff", 255}, {"&O17", 15}, {"&HFFFF", -1}, {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&X1", 0},
      {"&", 0}, {"15", 15}, {"0", 0}, {"1,5", 1}, {"3-", 3}, {"12abc34", 12}, {"& H 1 F", 31}, {".", 0},
      {"-", 0}, {"5.e2", 500}, {".5e1", 5}, {"-&H10", 0},
  };
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(Val(row.text), row.value) << row.text;
  EXPECT_EQ(ErrorNumber([] { Val("1E400"); }), 6);
  EXPECT_EQ(ErrorNumber([] { Val("&H100000000"); }), 6);
}

TEST(IsNumericAndIsDateTest, Table) {
  const struct { Variant in; bool numeric, date; } rows[] = {
      {Variant("1,5"), true, false}, {Variant(" 2"), true, false}, {Variant("1.000"), true, false},
      {Variant("-3"), true, false}, {Variant("1E3"), true, false}, {Variant("&H1F"), true, false},
      {Variant("(3)"), true, false}, {Variant("abc"), false, false}, {Variant(""), false, false},
      {Variant("1,,2"), false, false}, {Variant("1 2"), false, true}, {Variant("1E400"), false, false},
      {Variant(), true, false}, {Variant::Null(), false, false}, {Variant(true), true, false},
      {Variant(37177), true, false}, {Variant(1.5), true, false}, {Variant(int16_t{1}), true, false},
      {Variant(Date{1}), false, true}, {Variant(Array::Vector(0)), false, false}, {Variant("13/10/2001"), false, true},
  };
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(std::pair(IsNumeric(rows[i].in), IsDate(rows[i].in)), std::pair(rows[i].numeric, rows[i].date)) << i;
}

}  // namespace
}  // namespace tpl

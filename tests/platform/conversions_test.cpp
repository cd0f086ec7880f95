// Conversions under the platform's rules and the Brazilian regional
// settings: accepted and refused texts, rounding, overflow, number texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

TEST(CDblTest, AcceptedTexts) {
  const struct {
    const char* text;
    double value;
  } rows[] = {
      {"1,5", 1.5},          {"1.000", 1000},         {"1.5", 15},
      {"1.234.567,89", 1234567.89},                   {"12.34.5", 12345},
      {" 12 ", 12},          {"\t12\n", 12},          {"-3", -3},
      {"+3", 3},             {"3-", -3},              {"3+", 3},
      {"(3)", -3},           {"( 3 )", -3},           {"- 3", -3},
      {"1E3", 1000},         {"1e3", 1000},           {"1,5E+2", 150},
      {"25E-1", 2.5},        {"&H1F", 31},            {"&hff", 255},
      {"&O17", 15},          {"&H7FFFFFFF", 2147483647.0},
      {",5", 0.5},           {"5,", 5},               {"0", 0},
      {"007", 7},            {"1.000,", 1000},        {"R$ 10,50", 10.5},
      {"10,50 R$", 10.5},    {"-R$ 1.000,00", -1000}, {"1,E3", 1000},
      {",5E1", 5},           {"1,5.3", 1.53},         {"-3+", -3},
      {"1E-400", 0},         {"00000000000000000000000000001", 1},
  };
  for (const auto& row : rows) {
    double out = -99;
    EXPECT_TRUE(TryToDouble(Variant(row.text), out)) << row.text;
    EXPECT_DOUBLE_EQ(out, row.value) << row.text;
    EXPECT_DOUBLE_EQ(CDbl(Variant(row.text)), row.value) << row.text;
  }
}

TEST(CDblTest, RefusedTexts) {
  const struct {
    const char* text;
    int32_t error;
  } rows[] = {
      {"abc", 13},    {"", 13},        {" ", 13},        {"1,5,5", 13},   {".5", 13},
      {"1 2", 13},    {"--3", 13},     {"-3-", 13},      {"(3", 13},      {"3)", 13},
      {"1E", 13},     {"1E+", 13},     {"E3", 13},       {"&H", 13},      {"&HG", 13},
      {"&O8", 13},    {"12abc", 13},   {"1/2", 13},      {"13/10/2001", 13},
      {"1D3", 13},    {"Verdadeiro", 13},                {"1E400", 6},    {"&HFFFFFFFF", 6},
  };
  for (const auto& row : rows) {
    double out = 0;
    EXPECT_FALSE(TryToDouble(Variant(row.text), out)) << row.text;
    EXPECT_EQ(ErrorNumber([&] { CDbl(Variant(row.text)); }), row.error) << row.text;
  }
}

TEST(CDblTest, OtherTypes) {
  EXPECT_EQ(CDbl(Variant()), 0);
  EXPECT_EQ(CDbl(Variant(true)), -1);
  EXPECT_EQ(CDbl(Variant(false)), 0);
  EXPECT_EQ(CDbl(Variant(int16_t{-7})), -7);
  EXPECT_EQ(CDbl(Variant(70000)), 70000);
  EXPECT_EQ(CDbl(Variant(Date{37177.5})), 37177.5);
  double out = 0;
  EXPECT_FALSE(TryToDouble(Variant::Null(), out));
  EXPECT_EQ(ErrorNumber([] { CDbl(Variant::Null()); }), 94);
  EXPECT_EQ(ErrorNumber([] { CDbl(Variant(Array::Vector(0))); }), 13);
}

TEST(RoundHalfEvenTest, Table) {
  const struct {
    double in, out;
  } rows[] = {{2.5, 2},   {3.5, 4},   {-2.5, -2}, {-3.5, -4}, {0.5, 0},  {1.5, 2},
              {2.4, 2},   {2.6, 3},   {-2.6, -3}, {-0.5, 0},  {0, 0},    {1e20, 1e20},
              {32767.5, 32768},       {2147483646.5, 2147483646}};
  for (const auto& row : rows) EXPECT_EQ(RoundHalfEven(row.in), row.out) << row.in;
}

TEST(CIntTest, RoundsHalfToEven) {
  const struct {
    Variant in;
    int16_t out;
  } rows[] = {
      {Variant("2,5"), 2},        {Variant(3.5), 4},          {Variant(-2.5), -2},
      {Variant(2.5), 2},          {Variant("3,5"), 4},        {Variant(" 7 "), 7},
      {Variant(true), -1},        {Variant(), 0},             {Variant(32767.4), 32767},
      {Variant(-32768.5), -32768}, {Variant("&HFFFF"), -1},   {Variant("&H7FFF"), 32767},
      {Variant(Date{2.5}), 2},    {Variant(int16_t{-5}), -5}, {Variant(-32768), -32768},
  };
  for (const auto& row : rows) {
    int16_t out = 0;
    EXPECT_TRUE(TryToInteger(row.in, out)) << CStr(row.in);
    EXPECT_EQ(out, row.out) << CStr(row.in);
  }
}

TEST(CIntTest, OverflowBoundaries) {
  const Variant overflowing[] = {Variant(32767.5), Variant(32768), Variant(-32769),
                                 Variant(-32768.6), Variant("32768"), Variant("&H10000"),
                                 Variant(std::numeric_limits<double>::quiet_NaN())};
  for (const Variant& v : overflowing) {
    int16_t out = 0;
    EXPECT_FALSE(TryToInteger(v, out));
    EXPECT_EQ(ErrorNumber([&] { CInt(v); }), 6);
  }
  EXPECT_EQ(CInt(Variant(32767)), 32767);
  EXPECT_EQ(ErrorNumber([] { CInt(Variant("x")); }), 13);
  EXPECT_EQ(ErrorNumber([] { CInt(Variant::Null()); }), 94);
}

TEST(CLngTest, RoundingAndBoundaries) {
  EXPECT_EQ(CLng(Variant(2147483646.5)), 2147483646);
  EXPECT_EQ(CLng(Variant(2147483647.0)), 2147483647);
  EXPECT_EQ(CLng(Variant(-2147483648.5)), -2147483647 - 1);
  EXPECT_EQ(CLng(Variant("1.000.000")), 1000000);
  EXPECT_EQ(CLng(Variant("-2,5")), -2);
  EXPECT_EQ(CLng(Variant("&HFFFF")), 65535);
  EXPECT_EQ(CLng(Variant("&HFFFFFFFF")), -1);
  EXPECT_EQ(CLng(Variant("-&H10")), -16);
  EXPECT_EQ(CDbl(Variant("-&H10")), -16);
  EXPECT_EQ(CLng(Variant(int16_t{-3})), -3);
  EXPECT_EQ(ErrorNumber([] { CLng(Variant(2147483647.5)); }), 6);
  EXPECT_EQ(ErrorNumber([] { CLng(Variant(-2147483649.0)); }), 6);
  EXPECT_EQ(ErrorNumber([] { CLng(Variant("1E10")); }), 6);
  EXPECT_EQ(ErrorNumber([] { CLng(Variant("&H100000000")); }), 6);
  EXPECT_EQ(ErrorNumber([] { CLng(Variant("1,2,3")); }), 13);
  EXPECT_EQ(ErrorNumber([] { CLng(Variant::Null()); }), 94);
}

TEST(CStrTest, Numbers) {
  const struct {
    double in;
    const char* out;
  } rows[] = {
      {0.5, "0,5"},
      {1234.5678, "1234,5678"},
      {-12.5, "-12,5"},
      {1e20, "1E+20"},
      {0.0000001, "1E-07"},
      {0.0001, "0,0001"},
      {0.00001, "1E-05"},
      {1.5e-7, "1,5E-07"},
      {1e15, "1E+15"},
      {123456789012345.0, "123456789012345"},
      {1234567.0, "1234567"},
      {-0.0, "0"},
      {0.1 + 0.2, "0,3"},
      {1.0 / 3, "0,333333333333333"},
      {2.0 / 3, "0,666666666666667"},
      {100, "100"},
      {-1e-20, "-1E-20"},
      {1.7976931348623157e308, "1,79769313486232E+308"},
  };
  for (const auto& row : rows) EXPECT_EQ(CStr(Variant(row.in)), row.out) << row.in;
}

TEST(CStrTest, OtherTypes) {
  EXPECT_EQ(CStr(Variant()), "");
  EXPECT_EQ(CStr(Variant(int16_t{-32768})), "-32768");
  EXPECT_EQ(CStr(Variant(2147483647)), "2147483647");
  EXPECT_EQ(CStr(Variant(true)), "Verdadeiro");
  EXPECT_EQ(CStr(Variant(false)), "Falso");
  EXPECT_EQ(CStr(Variant("já")), "já");
  EXPECT_EQ(ErrorNumber([] { CStr(Variant::Null()); }), 94);
  EXPECT_EQ(ErrorNumber([] { CStr(Variant(Array::Vector(0))); }), 13);
  struct Thing : Object {
    std::string TypeName() const override { return "Thing"; }
  };
  EXPECT_EQ(ErrorNumber([] { CStr(Variant(std::make_shared<Thing>())); }), 13);
  std::string out = "unchanged";
  EXPECT_FALSE(TryToText(Variant::Null(), out));
}

TEST(CStrTest, Dates) {
  Date d;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 0}, d));
  EXPECT_EQ(CStr(Variant(d)), "13/10/2001 10:20:00");
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 0, 0, 0}, d));
  EXPECT_EQ(CStr(Variant(d)), "13/10/2001");
  ASSERT_TRUE(TryMakeDate({1899, 12, 30, 10, 20, 0}, d));
  EXPECT_EQ(CStr(Variant(d)), "10:20:00");
  EXPECT_EQ(CStr(Variant(Date{0})), "00:00:00");
  EXPECT_EQ(CStr(Variant(Date{-1.25})), "29/12/1899 06:00:00");
  EXPECT_EQ(CStr(Variant(Date{-657434})), "01/01/0100");
  ASSERT_TRUE(TryMakeDate({100, 1, 1, 23, 59, 59}, d));
  EXPECT_EQ(CStr(Variant(d)), "01/01/0100 23:59:59");
  ASSERT_TRUE(TryMakeDate({9999, 12, 31, 23, 59, 59}, d));
  EXPECT_EQ(CStr(Variant(d)), "31/12/9999 23:59:59");
  EXPECT_EQ(ErrorNumber([] { CStr(Variant(Date{2958466})); }), 6);
  EXPECT_EQ(ErrorNumber([] { CDate(Variant(Date{-1e9})); }), 6);
}

TEST(CBoolTest, Table) {
  const struct {
    Variant in;
    bool out;
  } rows[] = {
      {Variant("Verdadeiro"), true}, {Variant("falso"), false}, {Variant("TRUE"), true},
      {Variant("False"), false},     {Variant(" true "), true}, {Variant("0"), false},
      {Variant("-1"), true},         {Variant("0,5"), true},    {Variant(0.0), false},
      {Variant(2), true},            {Variant(), false},        {Variant(true), true},
      {Variant(Date{0}), false},     {Variant(int16_t{0}), false},
  };
  for (const auto& row : rows) {
    bool out = !row.out;
    EXPECT_TRUE(TryToBoolean(row.in, out)) << CStr(row.in);
    EXPECT_EQ(out, row.out) << CStr(row.in);
  }
  EXPECT_EQ(ErrorNumber([] { CBool(Variant("sim")); }), 13);
  EXPECT_EQ(ErrorNumber([] { CBool(Variant("")); }), 13);
  EXPECT_EQ(ErrorNumber([] { CBool(Variant::Null()); }), 94);
}

TEST(CDateTest, Table) {
  EXPECT_EQ(CDate(Variant(37177)).serial, 37177);
  EXPECT_EQ(CDate(Variant()).serial, 0);
  EXPECT_EQ(CDate(Variant(true)).serial, -1);
  EXPECT_EQ(CDate(Variant("13/10/2001")).serial, 37177);
  EXPECT_EQ(ErrorNumber([] { CDate(Variant("abc")); }), 13);
  EXPECT_EQ(ErrorNumber([] { CDate(Variant("37177")); }), 13);
  EXPECT_EQ(ErrorNumber([] { CDate(Variant(3e6)); }), 6);
  EXPECT_EQ(ErrorNumber([] { CDate(Variant(-657435.0)); }), 6);
  EXPECT_EQ(ErrorNumber([] { CDate(Variant::Null()); }), 94);
}

TEST(ValTest, Table) {
  const struct {
    const char* text;
    double value;
  } rows[] = {
      {"10,50", 10},     {"abc", 0},         {"", 0},            {" 1 2", 12},
      {"12.5", 12.5},    {"  -3.5x", -3.5},  {"+4", 4},          {"- 4", -4},
      {"1e3", 1000},     {"1E-2", 0.01},     {"1d2", 100},       {"1D+2", 100},
      {"1e", 1},         {"1e+", 1},         {".5", 0.5},        {"-.5", -0.5},
      {"5.", 5},         {"1.2.3", 1.2},     {"\t1\n2\r3", 123}, {"--5", 0},
      {"&H1F", 31},      {"&hff", 255},      {"&O17", 15},       {"&HFFFF", -1},
      {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&X1", 0},        {"&", 0},
      {"15", 15},        {"0", 0},           {"1,5", 1},         {"3-", 3},
      {"12abc34", 12},   {"& H 1 F", 31},    {".", 0},           {"-", 0},
      {"5.e2", 500},     {".5e1", 5},        {"-&H10", 0},
  };
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(Val(row.text), row.value) << row.text;
}

TEST(ValTest, Overflow) {
  EXPECT_EQ(ErrorNumber([] { Val("1E400"); }), 6);
  EXPECT_EQ(ErrorNumber([] { Val("&H100000000"); }), 6);
}

TEST(IsNumericTest, Table) {
  const struct {
    Variant in;
    bool numeric;
  } rows[] = {
      {Variant("1,5"), true},      {Variant(" 2"), true},      {Variant("1.000"), true},
      {Variant("-3"), true},       {Variant("1E3"), true},     {Variant("&H1F"), true},
      {Variant("(3)"), true},      {Variant("abc"), false},    {Variant(""), false},
      {Variant("1,,2"), false},    {Variant("1 2"), false},    {Variant("1E400"), false},
      {Variant(), false},          {Variant::Null(), false},   {Variant(true), true},
      {Variant(1), true},          {Variant(1.5), true},       {Variant(int16_t{1}), true},
      {Variant(Date{1}), false},   {Variant(Array::Vector(0)), false},
      {Variant("13/10/2001"), false},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(IsNumeric(rows[i].in), rows[i].numeric) << "row " << i;
  }
}

TEST(IsDateTest, Table) {
  EXPECT_TRUE(IsDate(Variant("13/10/2001")));
  EXPECT_TRUE(IsDate(Variant(Date{1})));
  EXPECT_FALSE(IsDate(Variant(37177)));
  EXPECT_FALSE(IsDate(Variant("abc")));
  EXPECT_FALSE(IsDate(Variant()));
  EXPECT_FALSE(IsDate(Variant::Null()));
}

}  // namespace
}  // namespace tpl

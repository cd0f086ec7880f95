// The platform's comparison and "+" / "-" between Variants.
#include <gtest/gtest.h>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

// Numbers compare numerically (True is -1, Empty 0, a date its serial); texts by code points, case-sensitive, Empty as
// ""; a number is below a text.
TEST(CompareTest, Rules) {
  const struct { Variant a, b; int order; } rows[] = {
      {Variant(1), Variant(2.5), -1}, {Variant(int16_t{3}), Variant(3.0), 0}, {Variant(true), Variant(0), -1},
      {Variant(), Variant(0), 0}, {Variant(), Variant(-1), 1}, {Variant(Date{2}), Variant(1), 1},
      {Variant("a"), Variant("b"), -1}, {Variant("B"), Variant("a"), -1}, {Variant("10"), Variant("9"), -1},
      {Variant("é"), Variant("z"), 1}, {Variant(), Variant(""), 0}, {Variant(), Variant("a"), -1},
      {Variant("a"), Variant(), 1}, {Variant(), Variant(), 0}, {Variant(100), Variant("1"), -1},
      {Variant("1"), Variant(100), 1}, {Variant(Date{1}), Variant("a"), -1},
  };
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(Compare(rows[i].a, rows[i].b), rows[i].order) << "row " << i;
  EXPECT_FALSE(Compare(Variant::Null(), Variant(1)).has_value());
  EXPECT_FALSE(Compare(Variant("a"), Variant::Null()).has_value());
  EXPECT_FALSE(Compare(Variant::Null(), Variant::Null()).has_value());
  EXPECT_EQ(ErrorNumber([] { Compare(Variant(Array::Vector(0)), Variant(1)); }), 13);
}

TEST(CompareWithNumberTest, Rules) {
  const struct { Variant a; double b; int order; } rows[] = {
      {Variant("10"), 9, 1}, {Variant("1,5"), 1.5, 0}, {Variant(), 0, 0}, {Variant(), 1, -1},
      {Variant(true), -1, 0}, {Variant(int16_t{5}), 7, -1}};
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(CompareWithNumber(rows[i].a, rows[i].b), rows[i].order) << "row " << i;
  EXPECT_FALSE(CompareWithNumber(Variant::Null(), 0).has_value());
  EXPECT_EQ(ErrorNumber([] { CompareWithNumber(Variant("abc"), 1); }), 13);
  EXPECT_EQ(ErrorNumber([] { CompareWithNumber(Variant(""), 1); }), 13);
}

// The type of a sum or difference follows its operands, widening on overflow.
TEST(AddSubtractTest, TypeOfResult) {
  const struct { Variant a, b, result; } sums[] = {
      {Variant(int16_t{32767}), Variant(int16_t{1}), Variant(32768)},
      {Variant(int16_t{1}), Variant(int16_t{2}), Variant(int16_t{3})},
      {Variant(int16_t{-32768}), Variant(int16_t{-1}), Variant(-32769)},
      {Variant(2147483647), Variant(1), Variant(2147483648.0)}, {Variant(int16_t{1}), Variant(2), Variant(3)},
      {Variant(1), Variant(0.5), Variant(1.5)}, {Variant(true), Variant(true), Variant(int16_t{-2})},
      {Variant(true), Variant(5), Variant(4)}, {Variant(), Variant(), Variant(int16_t{0})},
      {Variant(), Variant(7), Variant(7)}, {Variant("1"), Variant(1), Variant(2.0)},
      {Variant(1), Variant("1,5"), Variant(2.5)}, {Variant("a"), Variant("b"), Variant("ab")},
      {Variant("1"), Variant("1"), Variant("11")}, {Variant(), Variant("x"), Variant("x")},
      {Variant("x"), Variant(), Variant("x")}, {Variant(Date{10}), Variant(1), Variant(Date{11})},
      {Variant(1.5), Variant(Date{10}), Variant(Date{11.5})}, {Variant(Date{10}), Variant("2"), Variant(Date{12})},
      {Variant(Date{10}), Variant(Date{1}), Variant(Date{11})},
  };
  for (size_t i = 0; i < std::size(sums); ++i) {
    const Variant sum = Add(sums[i].a, sums[i].b);
    EXPECT_EQ(sum, sums[i].result) << "row " << i << ": " << static_cast<int>(sum.type());
  }
  const struct { Variant a, b, result; } differences[] = {
      {Variant(int16_t{-32768}), Variant(int16_t{1}), Variant(-32769)},
      {Variant(int16_t{5}), Variant(int16_t{2}), Variant(int16_t{3})},
      {Variant(-2147483647 - 1), Variant(1), Variant(-2147483649.0)}, {Variant("5"), Variant("2"), Variant(3.0)},
      {Variant("5"), Variant(), Variant(5.0)}, {Variant(), Variant(), Variant(int16_t{0})},
      {Variant(Date{10}), Variant(Date{4}), Variant(6.0)}, {Variant(Date{10}), Variant(1), Variant(Date{9})},
      {Variant(false), Variant(true), Variant(int16_t{1})}, {Variant(2.5), Variant(1), Variant(1.5)},
  };
  for (size_t i = 0; i < std::size(differences); ++i) {
    const Variant difference = Subtract(differences[i].a, differences[i].b);
    EXPECT_EQ(difference, differences[i].result) << "row " << i << ": " << static_cast<int>(difference.type());
  }
}

TEST(AddSubtractTest, NullAndErrors) {
  EXPECT_TRUE(Add(Variant::Null(), Variant(1)).IsNull());
  EXPECT_TRUE(Add(Variant("a"), Variant::Null()).IsNull());
  EXPECT_TRUE(Subtract(Variant(1), Variant::Null()).IsNull());
  EXPECT_EQ(ErrorNumber([] { Add(Variant("abc"), Variant(1)); }), 13);
  EXPECT_EQ(ErrorNumber([] { Add(Variant(1.7e308), Variant(1.7e308)); }), 6);
  EXPECT_EQ(ErrorNumber([] { Add(Variant(Date{2958465}), Variant(1)); }), 6);
  EXPECT_EQ(ErrorNumber([] { Add(Variant(Array::Vector(0)), Variant(1)); }), 13);
  EXPECT_EQ(ErrorNumber([] { Subtract(Variant("a"), Variant("b")); }), 13);
}

}  // namespace
}  // namespace tpl

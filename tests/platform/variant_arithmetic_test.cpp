// The platform's comparison and "+" / "-" between Variants.
#include <gtest/gtest.h>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

TEST(CompareTest, Rules) {
  const struct {
    Variant a, b;
    int order;
  } rows[] = {
      {Variant(1), Variant(2.5), -1},                 // numbers numerically
      {Variant(int16_t{3}), Variant(3.0), 0},
      {Variant(true), Variant(0), -1},                // True is -1
      {Variant(), Variant(0), 0},                     // Empty as 0
      {Variant(), Variant(-1), 1},
      {Variant(Date{2}), Variant(1), 1},              // a date by its serial
      {Variant("a"), Variant("b"), -1},               // texts by code points
      {Variant("B"), Variant("a"), -1},               // case-sensitive
      {Variant("10"), Variant("9"), -1},              // as texts, not numbers
      {Variant("é"), Variant("z"), 1},
      {Variant(), Variant(""), 0},                    // Empty as ""
      {Variant(), Variant("a"), -1},
      {Variant("a"), Variant(), 1},
      {Variant(), Variant(), 0},
      {Variant(100), Variant("1"), -1},               // a number is below a text
      {Variant("1"), Variant(100), 1},
      {Variant(Date{1}), Variant("a"), -1},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::optional<int> order = Compare(rows[i].a, rows[i].b);
    ASSERT_TRUE(order.has_value()) << "row " << i;
    EXPECT_EQ(*order, rows[i].order) << "row " << i;
  }
}

TEST(CompareTest, NullGivesNoResultAndObjectsMismatch) {
  EXPECT_FALSE(Compare(Variant::Null(), Variant(1)).has_value());
  EXPECT_FALSE(Compare(Variant("a"), Variant::Null()).has_value());
  EXPECT_FALSE(Compare(Variant::Null(), Variant::Null()).has_value());
  EXPECT_EQ(ErrorNumber([] { Compare(Variant(Array::Vector(0)), Variant(1)); }), 13);
}

TEST(CompareWithNumberTest, Rules) {
  EXPECT_EQ(CompareWithNumber(Variant("10"), 9), 1);
  EXPECT_EQ(CompareWithNumber(Variant("1,5"), 1.5), 0);
  EXPECT_EQ(CompareWithNumber(Variant(), 0), 0);
  EXPECT_EQ(CompareWithNumber(Variant(), 1), -1);
  EXPECT_EQ(CompareWithNumber(Variant(true), -1), 0);
  EXPECT_EQ(CompareWithNumber(Variant(int16_t{5}), 7), -1);
  EXPECT_FALSE(CompareWithNumber(Variant::Null(), 0).has_value());
  EXPECT_EQ(ErrorNumber([] { CompareWithNumber(Variant("abc"), 1); }), 13);
  EXPECT_EQ(ErrorNumber([] { CompareWithNumber(Variant(""), 1); }), 13);
}

TEST(AddTest, TypeOfResult) {
  const struct {
    Variant a, b, sum;
  } rows[] = {
      {Variant(int16_t{32767}), Variant(int16_t{1}), Variant(32768)},
      {Variant(int16_t{1}), Variant(int16_t{2}), Variant(int16_t{3})},
      {Variant(int16_t{-32768}), Variant(int16_t{-1}), Variant(-32769)},
      {Variant(2147483647), Variant(1), Variant(2147483648.0)},
      {Variant(int16_t{1}), Variant(2), Variant(3)},
      {Variant(1), Variant(0.5), Variant(1.5)},
      {Variant(true), Variant(true), Variant(int16_t{-2})},
      {Variant(true), Variant(5), Variant(4)},
      {Variant(), Variant(), Variant(int16_t{0})},
      {Variant(), Variant(7), Variant(7)},
      {Variant("1"), Variant(1), Variant(2.0)},
      {Variant(1), Variant("1,5"), Variant(2.5)},
      {Variant("a"), Variant("b"), Variant("ab")},
      {Variant("1"), Variant("1"), Variant("11")},
      {Variant(), Variant("x"), Variant("x")},
      {Variant("x"), Variant(), Variant("x")},
      {Variant(Date{10}), Variant(1), Variant(Date{11})},
      {Variant(1.5), Variant(Date{10}), Variant(Date{11.5})},
      {Variant(Date{10}), Variant(Date{1}), Variant(Date{11})},
      {Variant(Date{10}), Variant("2"), Variant(Date{12})},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Variant sum = Add(rows[i].a, rows[i].b);
    EXPECT_EQ(sum, rows[i].sum) << "row " << i << ": " << static_cast<int>(sum.type());
  }
}

TEST(AddTest, NullAndErrors) {
  EXPECT_TRUE(Add(Variant::Null(), Variant(1)).IsNull());
  EXPECT_TRUE(Add(Variant("a"), Variant::Null()).IsNull());
  EXPECT_EQ(ErrorNumber([] { Add(Variant("abc"), Variant(1)); }), 13);
  EXPECT_EQ(ErrorNumber([] { Add(Variant(1.7e308), Variant(1.7e308)); }), 6);
  EXPECT_EQ(ErrorNumber([] { Add(Variant(Date{2958465}), Variant(1)); }), 6);
  EXPECT_EQ(ErrorNumber([] { Add(Variant(Array::Vector(0)), Variant(1)); }), 13);
}

TEST(SubtractTest, TypeOfResult) {
  const struct {
    Variant a, b, difference;
  } rows[] = {
      {Variant(int16_t{-32768}), Variant(int16_t{1}), Variant(-32769)},
      {Variant(int16_t{5}), Variant(int16_t{2}), Variant(int16_t{3})},
      {Variant(-2147483647 - 1), Variant(1), Variant(-2147483649.0)},
      {Variant("5"), Variant("2"), Variant(3.0)},
      {Variant("5"), Variant(), Variant(5.0)},
      {Variant(), Variant(), Variant(int16_t{0})},
      {Variant(Date{10}), Variant(Date{4}), Variant(6.0)},
      {Variant(Date{10}), Variant(1), Variant(Date{9})},
      {Variant(false), Variant(true), Variant(int16_t{1})},
      {Variant(2.5), Variant(1), Variant(1.5)},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Variant difference = Subtract(rows[i].a, rows[i].b);
    EXPECT_EQ(difference, rows[i].difference)
        << "row " << i << ": " << static_cast<int>(difference.type());
  }
  EXPECT_TRUE(Subtract(Variant(1), Variant::Null()).IsNull());
  EXPECT_EQ(ErrorNumber([] { Subtract(Variant("a"), Variant("b")); }), 13);
}

}  // namespace
}  // namespace tpl

// The platform's comparison and "+" / "-" between Variants.
#include <gtest/gtest.h>

#include <optional>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

// CompareWithNumber reads a text as a number, and one that is none is a type mismatch; Null has no order. (The general
// Compare has no caller in the system; the fuzz corpus replay checks that it orders both ways alike.)
TEST(CompareTest, WithANumber) {
  const std::optional<int> none;
  const struct { Variant a; double b; std::optional<int> order; int32_t error = 0; } with_numbers[] = {
      {Variant("10"), 9, 1}, {Variant("1,5"), 1.5, 0}, {Variant(), 0, 0}, {Variant(true), -1, 0},
      {Variant::Null(), 0, none}, {Variant(""), 1, none, 13}};
  for (size_t i = 0; i < std::size(with_numbers); ++i) {
    std::optional<int> order;
    EXPECT_EQ(ErrorNumber([&] { order = CompareWithNumber(with_numbers[i].a, with_numbers[i].b); }),
              with_numbers[i].error) << "number row " << i;
    EXPECT_EQ(order, with_numbers[i].order) << "number row " << i;
  }
}

// The type of a sum or difference follows its operands, widening on overflow; Null gives Null; what cannot be added
// is a type mismatch (13), a result beyond a double or the last date an overflow (6).
TEST(AddSubtractTest, TypeOfResultNullAndErrors) {
  const Variant null = Variant::Null(), none;
  const struct { char op; Variant a, b, result; int32_t error = 0; } rows[] = {
      {'+', Variant(int16_t{32767}), Variant(int16_t{1}), Variant(32768)},
      {'+', Variant(int16_t{1}), Variant(int16_t{2}), Variant(int16_t{3})},
      {'+', Variant(2147483647), Variant(1), Variant(2147483648.0)}, {'+', Variant(int16_t{1}), Variant(2), Variant(3)},
      {'+', Variant(1), Variant(0.5), Variant(1.5)}, {'+', Variant(), Variant(), Variant(int16_t{0})},
      {'+', Variant(), Variant(7), Variant(7)}, {'+', Variant("1"), Variant(1), Variant(2.0)},
      {'+', Variant("1"), Variant("1"), Variant("11")}, {'+', Variant(), Variant("x"), Variant("x")},
      {'+', Variant(1.5), Variant(Date{10}), Variant(Date{11.5})},
      {'-', Variant(int16_t{-32768}), Variant(int16_t{1}), Variant(-32769)},
      {'-', Variant(-2147483647 - 1), Variant(1), Variant(-2147483649.0)},
      {'-', Variant("5"), Variant(), Variant(5.0)}, {'-', Variant(Date{10}), Variant(Date{4}), Variant(6.0)},
      {'-', Variant(Date{10}), Variant(1), Variant(Date{9})},
      {'+', Variant("a"), null, null}, {'-', Variant(1), null, null}, {'+', Variant("abc"), Variant(1), none, 13},
      {'+', Variant(1.7e308), Variant(1.7e308), none, 6}, {'+', Variant(Date{2958465}), Variant(1), none, 6},
      {'+', Variant(Array::Vector(0)), Variant(1), none, 13}, {'-', Variant("a"), Variant("b"), none, 13},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    Variant result;
    const auto& row = rows[i];
    EXPECT_EQ(ErrorNumber([&] { result = row.op == '+' ? Add(row.a, row.b) : Subtract(row.a, row.b); }), row.error)
        << "row " << i;
    EXPECT_EQ(result, row.result) << "row " << i << ": " << static_cast<int>(result.type());
  }
}

}  // namespace
}  // namespace tpl

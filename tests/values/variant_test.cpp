// Variant, Array, Dictionary and the numbered errors.
#include <gtest/gtest.h>

#include <functional>

#include "error_number.h"
#include "tpl/dictionary.h"
#include "tpl/runtime_error.h"
#include "tpl/variant.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

struct Counter : Object {
  std::string TypeName() const override { return "Counter"; }
  int value = 0;
};

// Arrays copy deep, nested ones too, by Variant copy, assignment or Array copy; objects are shared.
TEST(VariantTest, ArraysCopyDeepAndObjectsAreShared) {
  Variant a(Array::Vector(1));
  a.AsArray().at(0) = Variant(Array::Vector(0));
  Variant b = a, c;
  c = a;
  Array d = a.AsArray();
  b.AsArray().at(0).AsArray().at(0) = Variant("b");
  c.AsArray().at(1) = Variant("c");
  d.at(0).AsArray().at(0) = Variant("d");
  EXPECT_TRUE(a.AsArray().at(0).AsArray().at(0).IsEmpty());
  EXPECT_TRUE(a.AsArray().at(1).IsEmpty());
  auto counter = std::make_shared<Counter>();
  Variant x(counter), y = x;
  static_cast<Counter&>(*y.AsObject()).value = 5;
  EXPECT_EQ(counter->value, 5);
  EXPECT_EQ(x, y);
}

TEST(VariantTest, StructuralEquality) {
  const struct { Variant a, b; bool equal; } rows[] = {
      {Variant(1), Variant(1), true}, {Variant(1), Variant(int16_t{1}), false},
      {Variant::Null(), Variant::Null(), true}, {Variant(), Variant::Null(), false},
      {Variant(std::make_shared<Counter>()), Variant(std::make_shared<Counter>()), false}};
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].a == rows[i].b, rows[i].equal) << "row " << i;
  Array x = Array::Vector(1), y = Array::Vector(1);
  x.at(0) = y.at(0) = Variant(1);
  EXPECT_EQ(Variant(x), Variant(y));
  y.at(1) = Variant(2);
  EXPECT_NE(Variant(x), Variant(y));
}

TEST(ArrayTest, OutOfRangeRaisesNine) {
  Array v = Array::Vector(2);
  Array m = Array::Matrix(1, 1);
  const struct { const char* what; std::function<void()> call; } rows[] = {
      {"index -1", [&] { v.at(-1); }}, {"index past upper", [&] { v.at(3); }},
      {"two indexes on a vector", [&] { v.at(0, 0); }}, {"one index on a matrix", [&] { m.at(0); }},
      {"column past upper", [&] { m.at(0, 2); }}, {"negative column", [&] { m.at(0, -1); }},
      {"UBound of dimension 2 of a vector", [&] { v.UBound(2); }}, {"ReDim below -1", [&] { v.Redim(-2); }},
      {"laid-out elements short of the bounds", [] { Array::Matrix(1, 1, VariantVector(3)); }},
      {"empty vector", [] { Array().at(0); }},
  };
  for (const auto& row : rows) EXPECT_EQ(ErrorNumber(row.call), 9) << row.what;
  EXPECT_EQ(ErrorNumber([&] { v.at(2); }), 0);
}

// A key cannot be added twice, and keys compare exactly. (That keys keep their insertion order shows in the JSON
// form of a dictionary, tests/host/variant_json_test.cpp.)
TEST(DictionaryTest, KeysAreAddedOnceAndCompareExactly) {
  Dictionary d;
  d.Add("RS0", Variant(0));
  EXPECT_EQ(ErrorNumber([&] { d.Add("RS0", Variant(2)); }), 457);
  EXPECT_EQ(ErrorNumber([&] { d.Item("rs0"); }), 3265);
  EXPECT_EQ(d.Item("RS0"), Variant(0));
}

}  // namespace
}  // namespace tpl

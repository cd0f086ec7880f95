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

TEST(RuntimeErrorTest, StandardDescriptions) {
  EXPECT_EQ(StandardDescription(13), "Tipos incompatíveis");
  EXPECT_EQ(StandardDescription(error::kKeyAlreadyExists),
            "Esta chave já está associada a um elemento desta coleção");
  EXPECT_EQ(StandardDescription(error::kNoCurrentRecord),
            "BOF ou EOF é True ou o registro atual foi excluído. A operação solicitada requer "
            "um registro atual.");
  EXPECT_EQ(StandardDescription(12345), "Erro definido pelo aplicativo ou pelo objeto");
}

TEST(RuntimeErrorTest, RaiseCarriesNumberDescriptionAndLine) {
  try {
    Raise(error::kOverflow);
    FAIL() << "no exception";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.description(), "Estouro");
    EXPECT_STREQ(e.what(), "Estouro");
    EXPECT_GT(e.line(), 0);
  }
}

TEST(VariantTest, TypeCodes) {
  EXPECT_EQ(Variant().type(), VarType::Empty);
  EXPECT_EQ(Variant::Null().type(), VarType::Null);
  EXPECT_EQ(Variant(int16_t{1}).type(), VarType::Integer);
  EXPECT_EQ(Variant(1).type(), VarType::Long);
  EXPECT_EQ(Variant(1.5).type(), VarType::Double);
  EXPECT_EQ(Variant(Date{1}).type(), VarType::Date);
  EXPECT_EQ(Variant("a").type(), VarType::String);
  EXPECT_EQ(Variant(true).type(), VarType::Boolean);
  EXPECT_EQ(Variant(std::make_shared<Counter>()).type(), VarType::Object);
  EXPECT_EQ(Variant(Array::Vector(1)).type(), VarType::Array);
  EXPECT_EQ(static_cast<int>(VarType::Array), 8204);
}

TEST(VariantTest, StaysSmall) { EXPECT_LE(sizeof(Variant), 40u); }

TEST(VariantTest, AccessorsRequireTheirType) {
  EXPECT_EQ(Variant(int16_t{7}).AsInteger(), 7);
  EXPECT_EQ(Variant("x").AsString(), "x");
  EXPECT_EQ(ErrorNumber([] { Variant(1).AsInteger(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant(int16_t{1}).AsLong(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant("1").AsDouble(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant().AsString(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant::Null().AsBoolean(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant(1.0).AsDate(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant(1).AsArray(); }), 13);
  EXPECT_EQ(ErrorNumber([] { Variant(1).AsObject(); }), 13);
}

TEST(VariantTest, IsNumberCoversStorageTypesOnly) {
  EXPECT_TRUE(Variant(int16_t{1}).IsNumber());
  EXPECT_TRUE(Variant(1).IsNumber());
  EXPECT_TRUE(Variant(1.0).IsNumber());
  EXPECT_FALSE(Variant(true).IsNumber());
  EXPECT_FALSE(Variant(Date{1}).IsNumber());
  EXPECT_FALSE(Variant("1").IsNumber());
  EXPECT_FALSE(Variant().IsNumber());
}

TEST(VariantTest, CopyOfArrayIsDeep) {
  Variant a(Array::Vector(2));
  a.AsArray().at(0) = Variant("one");
  Variant b = a;
  b.AsArray().at(0) = Variant("changed");
  EXPECT_EQ(a.AsArray().at(0).AsString(), "one");
  Variant c;
  c = a;
  c.AsArray().at(1) = Variant(2);
  EXPECT_TRUE(a.AsArray().at(1).IsEmpty());
}

TEST(VariantTest, CopyOfObjectIsShared) {
  auto counter = std::make_shared<Counter>();
  Variant a(counter);
  Variant b = a;
  static_cast<Counter&>(*b.AsObject()).value = 5;
  EXPECT_EQ(counter->value, 5);
  EXPECT_EQ(a.AsObject().get(), b.AsObject().get());
  EXPECT_EQ(a, b);
}

TEST(VariantTest, MovedFromArrayReadsAsEmptyArray) {
  Variant a(Array::Vector(3));
  Variant b = std::move(a);
  EXPECT_EQ(b.AsArray().size(), 4u);
  Variant copy = a;  // NOLINT(bugprone-use-after-move): the state is specified
  EXPECT_TRUE(copy.IsArray());
}

TEST(VariantTest, StructuralEquality) {
  EXPECT_EQ(Variant(1), Variant(1));
  EXPECT_NE(Variant(1), Variant(int16_t{1}));
  EXPECT_NE(Variant(1), Variant(1.0));
  EXPECT_EQ(Variant::Null(), Variant::Null());
  EXPECT_NE(Variant(), Variant::Null());
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
  EXPECT_NE(Variant(std::make_shared<Counter>()), Variant(std::make_shared<Counter>()));
  Array x = Array::Vector(1), y = Array::Vector(1);
  x.at(0) = Variant(1);
  y.at(0) = Variant(1);
  EXPECT_EQ(Variant(x), Variant(y));
  y.at(1) = Variant(2);
  EXPECT_NE(Variant(x), Variant(y));
}

TEST(ArrayTest, BoundsAndDimensions) {
  Array empty;
  EXPECT_EQ(empty.Dimensions(), 1);
  EXPECT_EQ(empty.UBound(), -1);
  EXPECT_EQ(empty.size(), 0u);

  Array m = Array::Matrix(2, 3);
  EXPECT_EQ(m.Dimensions(), 2);
  EXPECT_EQ(m.UBound(1), 2);
  EXPECT_EQ(m.UBound(2), 3);
  EXPECT_EQ(m.size(), 12u);
  m.at(1, 2) = Variant("x");
  EXPECT_EQ(m.elements()[1 * 4 + 2].AsString(), "x");  // row order

  Array laid_out = Array::Matrix(1, 0, VariantVector{Variant("a"), Variant("b")});
  EXPECT_EQ(laid_out.at(1, 0), Variant("b"));
}

TEST(ArrayTest, OutOfRangeRaisesNine) {
  Array v = Array::Vector(2);
  Array m = Array::Matrix(1, 1);
  const struct {
    const char* what;
    std::function<void()> call;
  } rows[] = {
      {"index -1", [&] { v.at(-1); }},
      {"index past upper", [&] { v.at(3); }},
      {"two indexes on a vector", [&] { v.at(0, 0); }},
      {"one index on a matrix", [&] { m.at(0); }},
      {"row past upper", [&] { m.at(2, 0); }},
      {"column past upper", [&] { m.at(0, 2); }},
      {"negative column", [&] { m.at(0, -1); }},
      {"UBound of dimension 2 of a vector", [&] { v.UBound(2); }},
      {"UBound of dimension 0", [&] { m.UBound(0); }},
      {"ReDim below -1", [&] { v.Redim(-2); }},
      {"laid-out elements short of the bounds",
       [] { Array::Matrix(1, 1, VariantVector(3)); }},
      {"empty vector", [] { Array().at(0); }},
  };
  for (const auto& row : rows) EXPECT_EQ(ErrorNumber(row.call), 9) << row.what;
  EXPECT_EQ(ErrorNumber([&] { v.at(2); }), 0);
}

TEST(ArrayTest, RedimDiscardsContents) {
  Array a = Array::Vector(1);
  a.at(0) = Variant(7);
  a.Redim(2);
  EXPECT_EQ(a.UBound(), 2);
  EXPECT_TRUE(a.at(0).IsEmpty());
  a.Redim(1, 0);
  EXPECT_EQ(a.Dimensions(), 2);
  EXPECT_EQ(a.size(), 2u);
  a.Redim(-1);
  EXPECT_EQ(a.Dimensions(), 1);
  EXPECT_EQ(a.size(), 0u);
}

TEST(ArrayTest, NestedArraysCopyDeep) {
  Array inner = Array::Vector(0);
  inner.at(0) = Variant("in");
  Array outer = Array::Vector(0);
  outer.at(0) = Variant(inner);
  Array copy = outer;
  copy.at(0).AsArray().at(0) = Variant("changed");
  EXPECT_EQ(outer.at(0).AsArray().at(0).AsString(), "in");
}

TEST(DictionaryTest, KeepsInsertionOrder) {
  Dictionary d;
  d.Add("RS1", Variant(1));
  d.Add("RS0", Variant(0));
  d.Set("RS2", Variant(2));
  d.Set("RS1", Variant(10));  // replaced in place
  ASSERT_EQ(d.Count(), 3);
  EXPECT_EQ(d.entries()[0].first, "RS1");
  EXPECT_EQ(d.entries()[0].second.AsLong(), 10);
  EXPECT_EQ(d.entries()[1].first, "RS0");
  EXPECT_EQ(d.entries()[2].first, "RS2");
  EXPECT_EQ(d.TypeName(), "Dictionary");
}

TEST(DictionaryTest, ErrorsAndExactKeys) {
  Dictionary d;
  d.Add("a", Variant(1));
  EXPECT_TRUE(d.Exists("a"));
  EXPECT_FALSE(d.Exists("A"));  // keys compare exactly
  EXPECT_EQ(ErrorNumber([&] { d.Add("a", Variant(2)); }), 457);
  EXPECT_EQ(d.Item("a").AsLong(), 1);
  EXPECT_EQ(ErrorNumber([&] { d.Item("b"); }), 3265);
}

TEST(DictionaryTest, TravelsAsSharedObject) {
  auto d = std::make_shared<Dictionary>();
  Variant v(std::static_pointer_cast<Object>(d));
  Variant copy = v;
  static_cast<Dictionary&>(*copy.AsObject()).Add("k", Variant("v"));
  EXPECT_TRUE(d->Exists("k"));
}

}  // namespace
}  // namespace tpl

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/input_error.h"
#include "host/json_document.h"
#include "host/variant_json.h"
#include "tpl/datetime.h"
#include "tpl/dictionary.h"

namespace tpl::host {
namespace {

Variant Decode(const std::string& text) { return DecodeVariant(ParseJsonDocument(text)); }
std::string Encode(const Variant& value) { return EncodeVariant(value).dump(); }

Variant MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  Date date;
  EXPECT_TRUE(TryMakeDate({year, month, day, hour, minute, second}, date));
  return Variant(date);
}

Variant Vector(const std::vector<Variant>& elements) {
  Array array = Array::Vector(static_cast<int32_t>(elements.size()) - 1);
  array.elements().assign(elements.begin(), elements.end());
  return Variant(std::move(array));
}

Variant Matrix(const std::vector<std::vector<Variant>>& rows) {
  const auto columns = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  Array array = Array::Matrix(static_cast<int32_t>(rows.size()) - 1, rows.empty() ? -1 : columns - 1);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      array.at(static_cast<int32_t>(r), static_cast<int32_t>(c)) = rows[r][c];
    }
  }
  return Variant(std::move(array));
}

struct AcceptedEncoding {
  std::string input;
  Variant value;
  std::string output;  // the encoding written back
};

TEST(HostVariantJson, AcceptedEncodingsGiveTheirVariantAndComeBackTagged) {
  const double infinity = std::numeric_limits<double>::infinity();
  const std::vector<AcceptedEncoding> rows = {
      {R"("abc")", Variant("abc"), R"("abc")"},
      {R"("Título ação")", Variant("Título ação"), R"("Título ação")"},
      {R"("")", Variant(""), R"("")"},
      {"true", Variant(true), "true"},
      {"false", Variant(false), "false"},
      {"null", Variant::Null(), "null"},
      {R"({"Empty":null})", Variant(), R"({"Empty":null})"},
      {R"({"Integer":10})", Variant::Integer(10), R"({"Integer":10})"},
      {R"({"Integer":-32768})", Variant::Integer(-32768), R"({"Integer":-32768})"},
      {R"({"Integer":32767})", Variant::Integer(32767), R"({"Integer":32767})"},
      {R"({"Long":7})", Variant::Long(7), R"({"Long":7})"},
      {R"({"Long":-2147483648})", Variant::Long(-2147483647 - 1), R"({"Long":-2147483648})"},
      {R"({"Double":1.5})", Variant(1.5), R"({"Double":1.5})"},
      {R"({"Double":3})", Variant(3.0), R"({"Double":3.0})"},
      {R"({"Double":"-Infinity"})", Variant(-infinity), R"({"Double":"-Infinity"})"},
      {"7", Variant::Long(7), R"({"Long":7})"},
      {"-2147483648", Variant::Long(-2147483647 - 1), R"({"Long":-2147483648})"},
      {"2147483648", Variant(2147483648.0), R"({"Double":2147483648.0})"},
      {"4.0", Variant::Long(4), R"({"Long":4})"},
      {"2.5", Variant(2.5), R"({"Double":2.5})"},
      {"1e300", Variant(1e300), R"({"Double":1e+300})"},
      {R"({"Date":"2001-10-13T10:20:00"})", MakeDate(2001, 10, 13, 10, 20),
       R"({"Date":"2001-10-13T10:20:00"})"},
      {R"({"Date":"2001-10-13"})", MakeDate(2001, 10, 13), R"({"Date":"2001-10-13T00:00:00"})"},
      {R"({"Date":"2000-02-29T23:59:59"})", MakeDate(2000, 2, 29, 23, 59, 59),
       R"({"Date":"2000-02-29T23:59:59"})"},
      {R"({"Array":[]})", Vector({}), R"({"Array":[]})"},
      {R"({"Array":[1,"a",null]})", Vector({Variant::Long(1), Variant("a"), Variant::Null()}),
       R"({"Array":[{"Long":1},"a",null]})"},
      {R"({"Matrix":[]})", Matrix({}), R"({"Matrix":[]})"},
      {R"({"Matrix":[[]]})", Matrix({{}}), R"({"Matrix":[[]]})"},
      {R"({"Matrix":[[1,2,3],[4,5,{"Empty":null}]]})",
       Matrix({{Variant::Long(1), Variant::Long(2), Variant::Long(3)},
               {Variant::Long(4), Variant::Long(5), Variant()}}),
       R"({"Matrix":[[{"Long":1},{"Long":2},{"Long":3}],[{"Long":4},{"Long":5},{"Empty":null}]]})"},
      {R"({"Object":"Nothing"})", Variant(std::shared_ptr<Object>()), R"({"Object":"Nothing"})"},
  };
  for (const AcceptedEncoding& row : rows) {
    Variant decoded;
    ASSERT_NO_THROW(decoded = Decode(row.input)) << row.input;
    EXPECT_EQ(decoded.type(), row.value.type()) << row.input;
    EXPECT_TRUE(decoded == row.value) << row.input;
    EXPECT_EQ(Encode(decoded), row.output) << row.input;
  }
}

TEST(HostVariantJson, MatrixIsListedRowByRowWithUpperBoundsFromItsLengths) {
  const Variant value = Decode(R"({"Matrix":[["a","b","c"],["d","e","f"]]})");
  const Array& matrix = value.AsArray();
  ASSERT_EQ(matrix.Dimensions(), 2);
  EXPECT_EQ(matrix.UBound(1), 1);
  EXPECT_EQ(matrix.UBound(2), 2);
  EXPECT_EQ(matrix.at(0, 2).AsString(), "c");
  EXPECT_EQ(matrix.at(1, 0).AsString(), "d");
}

struct RefusedEncoding {
  std::string input;
  std::string reason;  // part of the message
};

TEST(HostVariantJson, RefusedEncodingsNameThePlaceAndTheFault) {
  const std::vector<RefusedEncoding> rows = {
      {R"({"Matrix":[[1,2],[3]]})", "value.Matrix[1]: has 1 values where row 0 has 2"},
      {R"({"Matrix":[[1],[2,3]]})", "value.Matrix[1]: has 2 values"},
      {R"({"Matrix":[[1],2]})", "value.Matrix[1]: expected a row"},
      {R"({"Matrix":{"a":1}})", "expected a JSON array of rows"},
      {R"({"Integer":32768})", "outside -32768..32767"},
      {R"({"Integer":-32769})", "outside -32768..32767"},
      {R"({"Integer":1.5})", "expected a whole number"},
      {R"({"Integer":"10"})", "expected a whole number"},
      {R"({"Long":2147483648})", "outside -2147483648..2147483647"},
      {R"({"Long":18446744073709551615})", "expected a whole number"},
      {R"({"Double":"1.5"})", "expected a number"},
      {R"({"Float":1})", "unknown tag \"Float\""},
      {R"({"long":7})", "unknown tag \"long\""},
      {R"({"Long":7,"Integer":1})", "exactly one key"},
      {R"({})", "exactly one key"},
      {R"({"Empty":0})", "Empty takes null"},
      {R"({"Date":"2001-02-29"})", "expected a real date"},
      {R"({"Date":"2001-10-13T24:00:00"})", "expected a real date"},
      {R"({"Date":"2001-10-13 10:20:00"})", "expected a real date"},
      {R"({"Date":"13/10/2001"})", "expected a real date"},
      {R"({"Date":"2001-10-13T10:20"})", "expected a real date"},
      {R"({"Date":20011013})", "expected a real date"},
      {R"({"Array":{"a":1}})", "expected a JSON array of values"},
      {"[1,2]", "a bare JSON array is not a value"},
      {R"({"Object":"Dictionary"})", "only an unset reference"},
      {R"({"Dictionary":[1]})", "expected a JSON object of items"},
      {R"({"Dictionary":{"a":1,"a":2}})", "key \"a\" appears twice"},
      {R"({"Array":[{"Integer":99999}]})", "value.Array[0].Integer: 99999 is outside"},
      {R"({"Dictionary":{"k":{"Date":"x"}}})", R"(value.Dictionary["k"].Date:)"},
      {R"({"Array":[1,]})", "malformed JSON"},
      {R"("abc" "def")", "malformed JSON"},
      {"", "malformed JSON"},
      {"\"\xff\"", "malformed JSON"},
  };
  for (const RefusedEncoding& row : rows) {
    try {
      Decode(row.input);
      ADD_FAILURE() << "accepted: " << row.input;
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(row.reason), std::string::npos)
          << row.input << " gave: " << e.what();
    }
  }
}

TEST(HostVariantJson, DictionaryKeepsInsertionOrderBothWays) {
  const std::string text = R"({"Dictionary":{"zeta":1,"alfa":{"Array":["x"]},"meio":null}})";
  const Variant value = Decode(text);
  const auto* dictionary = dynamic_cast<const Dictionary*>(value.AsObject().get());
  ASSERT_NE(dictionary, nullptr);
  ASSERT_EQ(dictionary->Count(), 3);
  EXPECT_EQ(dictionary->entries()[0].first, "zeta");
  EXPECT_EQ(dictionary->entries()[1].first, "alfa");
  EXPECT_EQ(dictionary->entries()[2].first, "meio");
  EXPECT_EQ(Encode(value),
            R"({"Dictionary":{"zeta":{"Long":1},"alfa":{"Array":["x"]},"meio":null}})");
}

TEST(HostVariantJson, NestedArraysAndDictionariesRoundTrip) {
  auto inner = std::make_shared<Dictionary>();
  inner->Add("ARRAY1", Matrix({{Variant("Nome"), Variant::Integer(3)},
                               {MakeDate(1999, 12, 31, 23, 59, 59), Variant(0.1)}}));
  inner->Add("vazio", Vector({}));
  const Variant original = Vector({Variant(std::shared_ptr<Object>(inner)),
                                   Vector({Vector({Variant(true)}), Variant()}),
                                   Matrix({{Vector({Variant::Long(-1)})}})});
  const std::string encoded = Encode(original);
  const Variant decoded = Decode(encoded);
  EXPECT_EQ(Encode(decoded), encoded);
  // Objects compare by identity, so compare the parts that are plain values.
  EXPECT_TRUE(decoded.AsArray().at(1) == original.AsArray().at(1));
  EXPECT_TRUE(decoded.AsArray().at(2) == original.AsArray().at(2));
  const auto* dictionary =
      dynamic_cast<const Dictionary*>(decoded.AsArray().at(0).AsObject().get());
  ASSERT_NE(dictionary, nullptr);
  EXPECT_TRUE(dictionary->Item("ARRAY1") == inner->Item("ARRAY1"));
}

TEST(HostVariantJson, DoublesRoundTripBitForBit) {
  const std::vector<double> values = {0.1,     1.0 / 3.0, -0.0, 5e-324, 2.2250738585072014e-308,
                                      1.7976931348623157e308, 123456789.12345679, -1e-7};
  for (double value : values) {
    const std::string encoded = Encode(Variant(value));
    const double back = Decode(encoded).AsDouble();
    EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << encoded;
  }
  EXPECT_TRUE(std::isnan(Decode(Encode(Variant(std::nan("")))).AsDouble()));
}

class Recordset : public Object {
 public:
  std::string TypeName() const override { return "Recordset"; }
};

TEST(HostVariantJson, ObjectsOtherThanDictionariesShowOnlyTheirTypeName) {
  EXPECT_EQ(Encode(Variant(std::shared_ptr<Object>(std::make_shared<Recordset>()))),
            R"({"Object":"Recordset"})");
}

}  // namespace
}  // namespace tpl::host

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "host/call_arguments.h"
#include "host/json_document.h"
#include "host/variant_json.h"
#include "support/suite.h"
#include "tpl/dictionary.h"

namespace tpl::host {
namespace {

using testing::MakeDate;
using testing::Vector;

// A matrix filled row by row, its upper bounds taken from the lengths.
Variant Matrix(const std::vector<std::vector<Variant>>& rows) {
  const auto columns = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  Array array = Array::Matrix(static_cast<int32_t>(rows.size()) - 1, columns - 1);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) array.at(int32_t(r), int32_t(c)) = rows[r][c];
  return Variant(std::move(array));
}

Variant Decode(const std::string& text) { return DecodeVariant(ParseJsonDocument(text)); }
std::string Encode(const Variant& value) {
  std::string text;
  AppendVariantJson(value, text);
  return text;
}

// Decoding `input` must be refused with a message holding `part`.
void ExpectRefused(const std::string& input, const std::string& part, const std::function<void()>& decode) {
  try {
    decode();
    ADD_FAILURE() << "accepted: " << input;
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << input << " gave: " << e.what();
  }
}

// `output` is the encoding written back, when it is not the input.
struct AcceptedEncoding { std::string input; Variant value; std::string output = ""; };

// A matrix is listed row by row; comparing with one built the same way also checks its upper bounds.
TEST(HostVariantJson, AcceptedEncodingsGiveTheirVariantAndComeBackTagged) {
  const Variant min_long = Variant::Long(-2147483647 - 1);
  const std::vector<AcceptedEncoding> rows = {
      {R"("abc")", "abc"}, {R"("Título ação")", "Título ação"}, {R"("")", ""}, {"true", true},
      {"false", false}, {"null", Variant::Null()}, {R"({"Empty":null})", Variant()},
      {R"({"Integer":10})", Variant::Integer(10)}, {R"({"Integer":-32768})", Variant::Integer(-32768)},
      {R"({"Integer":32767})", Variant::Integer(32767)}, {R"({"Long":7})", Variant::Long(7)},
      {R"({"Long":-2147483648})", min_long}, {R"({"Double":1.5})", 1.5}, {R"({"Double":3})", 3.0, R"({"Double":3.0})"},
      {R"({"Double":"-Infinity"})", -std::numeric_limits<double>::infinity()},
      {"7", Variant::Long(7), R"({"Long":7})"}, {"-2147483648", min_long, R"({"Long":-2147483648})"},
      {"2147483648", 2147483648.0, R"({"Double":2147483648.0})"}, {"4.0", Variant::Long(4), R"({"Long":4})"},
      {"2.5", 2.5, R"({"Double":2.5})"}, {"1e300", 1e300, R"({"Double":1e+300})"},
      {R"({"Date":"2001-10-13T10:20:00"})", MakeDate(2001, 10, 13, 10, 20)},
      {R"({"Date":"2001-10-13"})", MakeDate(2001, 10, 13), R"({"Date":"2001-10-13T00:00:00"})"},
      {R"({"Date":"2000-02-29T23:59:59"})", MakeDate(2000, 2, 29, 23, 59, 59)},
      {R"({"Array":[]})", Vector({})}, {R"({"Matrix":[]})", Matrix({})}, {R"({"Matrix":[[]]})", Matrix({{}})},
      {R"({"Array":[1,"a",null]})", Vector({Variant::Long(1), "a", Variant::Null()}),
       R"({"Array":[{"Long":1},"a",null]})"},
      {R"({"Matrix":[[1,2,3],[4,5,{"Empty":null}]]})", Matrix({{Variant::Long(1), Variant::Long(2), Variant::Long(3)},
               {Variant::Long(4), Variant::Long(5), Variant()}}),
       R"({"Matrix":[[{"Long":1},{"Long":2},{"Long":3}],[{"Long":4},{"Long":5},{"Empty":null}]]})"},
      {R"({"Object":"Nothing"})", Variant(std::shared_ptr<Object>())},
  };
  for (const AcceptedEncoding& row : rows) {
    Variant decoded;
    ASSERT_NO_THROW(decoded = Decode(row.input)) << row.input;
    EXPECT_EQ(decoded.type(), row.value.type()) << row.input;
    EXPECT_TRUE(decoded == row.value) << row.input;
    EXPECT_EQ(Encode(decoded), row.output.empty() ? row.input : row.output) << row.input;
  }
}

TEST(HostVariantJson, RefusedEncodingsNameThePlaceAndTheFault) {
  std::vector<std::pair<std::string, std::string>> rows = {  // input, part of the message
      {R"({"Matrix":[[1,2],[3]]})", "value.Matrix[1]: has 1 values where row 0 has 2"},
      {R"({"Matrix":[[1],[2,3]]})", "value.Matrix[1]: has 2 values"},
      {R"({"Matrix":[[1],2]})", "value.Matrix[1]: expected a row"},
      {R"({"Matrix":{"a":1}})", "expected a JSON array of rows"},
      {R"({"Integer":32768})", "outside -32768..32767"}, {R"({"Integer":-32769})", "outside -32768..32767"},
      {R"({"Integer":1.5})", "expected a whole number"}, {R"({"Integer":"10"})", "expected a whole number"},
      {R"({"Long":2147483648})", "outside -2147483648..2147483647"},
      {R"({"Long":18446744073709551615})", "expected a whole number"},
      {R"({"Double":"1.5"})", "expected a number"}, {R"({"Float":1})", "unknown tag \"Float\""},
      {R"({"long":7})", "unknown tag \"long\""}, {R"({"Long":7,"Integer":1})", "exactly one key"},
      {R"({})", "exactly one key"}, {R"({"Empty":0})", "Empty takes null"},
      {R"({"Array":{"a":1}})", "expected a JSON array of values"}, {"[1,2]", "a bare JSON array is not"},
      {R"({"Object":"Dictionary"})", "only an unset reference"},
      {R"({"Dictionary":[1]})", "expected a JSON object of items"},
      {R"({"Dictionary":{"a":1,"a":2}})", "key \"a\" appears twice"},
      {R"({"Array":[{"Integer":99999}]})", "value.Array[0].Integer: 99999 is outside"},
      {R"({"Dictionary":{"k":{"Date":"x"}}})", R"(value.Dictionary["k"].Date:)"},
  };
  for (const char* date : {R"("2001-02-29")", R"("2001-10-13T24:00:00")", R"("2001-10-13 10:20:00")",
                           R"("13/10/2001")", R"("2001-10-13T10:20")", "20011013"})
    rows.push_back({std::string(R"({"Date":)") + date + "}", "expected a real date"});
  for (const char* text : {R"({"Array":[1,]})", R"("abc" "def")", "", "\"\xff\""})
    rows.push_back({text, "malformed JSON"});
  for (const auto& [input, reason] : rows) ExpectRefused(input, reason, [&input = input] { Decode(input); });
}

// An object of `keys` distinct keys: {"k0":1,"k1":1,...}.
std::string WideObject(int keys) {
  std::string text = "{";
  for (int i = 0; i < keys; ++i) text += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":1";
  return text + "}";
}

// Hostile documents end in one clear refusal, never in a crash or a long wait: numbers beyond a double, nesting past
// the limit (brackets inside strings do not count), objects so wide that finding their keys would take minutes.
TEST(HostVariantJson, HostileDocumentsAreRefusedAtOnce) {
  const std::pair<std::string, std::string> rows[] = {
      {WideObject(200000), "more than 1000 keys"},
      {"{\"Dictionary\":" + WideObject(1001) + "}", "more than 1000 keys"},
      {"[1e400]", "number out of range"},
      {"{\"Double\":-1e999}", "number out of range"},
      {std::string(20000, '[') + std::string(20000, ']'), "nested deeper than 64 levels"},
      {std::string(40000, '{'), "nested deeper than 64 levels"},
      {std::string(65, '[') + std::string(65, ']'), "nested deeper than 64 levels"},
  };
  for (const auto& [input, reason] : rows)
    ExpectRefused(input.substr(0, 60), reason, [&input = input] { ParseJsonDocument(input); });
  EXPECT_NO_THROW(ParseJsonDocument(std::string(64, '[') + std::string(64, ']')));
  EXPECT_NO_THROW(ParseJsonDocument(WideObject(1000)));
  // A row of many tagged cells, as `tpl call` writes a result matrix, is read in a tenth of a second (it took seconds
  // while each object made the parser look through the whole row again).
  std::string row = R"({"Matrix":[[)";
  for (int i = 0; i < 100000; ++i) row += R"({"Long":)" + std::to_string(i) + "},";
  row += "0]]}";
  const Variant matrix = Decode(row);
  ASSERT_EQ(matrix.AsArray().UBound(2), 100000);
  EXPECT_EQ(matrix.AsArray().at(0, 99999), Variant::Long(99999));
  EXPECT_NO_THROW(ParseJsonDocument("\"" + std::string(1000, '[') + "\""));
}

TEST(HostVariantJson, DictionariesKeepInsertionOrderAndNestedValuesRoundTrip) {
  const Variant ordered = Decode(R"({"Dictionary":{"zeta":1,"alfa":{"Array":["x"]},"meio":null}})");
  EXPECT_EQ(Encode(ordered), R"({"Dictionary":{"zeta":{"Long":1},"alfa":{"Array":["x"]},"meio":null}})");

  auto inner = std::make_shared<Dictionary>();
  inner->Add("ARRAY1", Matrix({{"Nome", Variant::Integer(3)}, {MakeDate(1999, 12, 31, 23, 59, 59), 0.1}}));
  inner->Add("vazio", Vector({}));
  const Variant original = Vector({Variant(std::shared_ptr<Object>(inner)), Vector({Vector({true}), {}}),
                                   Matrix({{Vector({Variant::Long(-1)})}})});
  const std::string encoded = Encode(original);
  const Variant decoded = Decode(encoded);
  EXPECT_EQ(Encode(decoded), encoded);
  // Objects compare by identity, so compare the parts that are plain values.
  EXPECT_TRUE(decoded.AsArray().at(1) == original.AsArray().at(1));
  EXPECT_TRUE(decoded.AsArray().at(2) == original.AsArray().at(2));
  const auto* dictionary = dynamic_cast<const Dictionary*>(decoded.AsArray().at(0).AsObject().get());
  ASSERT_NE(dictionary, nullptr);
  EXPECT_TRUE(dictionary->Item("ARRAY1") == inner->Item("ARRAY1"));
}

class Recordset : public Object {
 public:
  std::string TypeName() const override { return "Recordset"; }
};

TEST(HostVariantJson, DoublesRoundTripBitForBitAndOtherObjectsShowTheirTypeName) {
  for (double value : {0.1, 1.0 / 3.0, -0.0, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                       123456789.12345679, -1e-7}) {
    const std::string encoded = Encode(Variant(value));
    const double back = Decode(encoded).AsDouble();
    EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << encoded;
  }
  EXPECT_TRUE(std::isnan(Decode(Encode(Variant(std::nan("")))).AsDouble()));
  EXPECT_EQ(Encode(Variant(std::shared_ptr<Object>(std::make_shared<Recordset>()))), R"({"Object":"Recordset"})");
}

// Texts are written as nlohmann's dump writes them: the same escapes, UTF-8 passed through, and bytes that are not
// UTF-8 (overlong forms, surrogates, code points past U+10FFFF, cut sequences) replaced by U+FFFD by its rules.
TEST(HostVariantJson, TextsAreWrittenAsTheJsonLibraryWritesThem) {
  const std::pair<std::string, std::string> written[] = {
      {"aspas \" e barra \\", R"("aspas \" e barra \\")"}, {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string("\x01\x1f\x7f\0", 4), R"("\u0001\u001f)" "\x7f" R"(\u0000")"},
      {"Título € 𝄞", R"("Título € 𝄞")"}, {"\xef\xbf\xbd", "\"\xef\xbf\xbd\""}, {"\xff", "\"\xef\xbf\xbd\""},
  };
  for (const auto& [text, json] : written) EXPECT_EQ(Encode(Variant(text)), json) << json;
  for (const char* bad : {"a\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf0\x8f\xbf\xbf", "\xf4\x90\x80\x80",
                          "\xf5\x80\x80\x80", "x\x80y", "ok\xe2\x82", "\xe2\x82\xe2\x82\xac", "\xc3\xa7\xff\xc3\xa7"}) {
    EXPECT_EQ(Encode(Variant(bad)), Json(bad).dump(-1, ' ', false, Json::error_handler_t::replace)) << bad;
  }
  EXPECT_EQ(Encode(Vector({"\x01", Variant::Null(), false})), R"({"Array":["\u0001",null,false]})");
}

TEST(HostVariantJson, CallAnswersHoldTheResultOrTheRaisedErrorAndTheArguments) {
  const std::vector<Variant> arguments = {"Data Source=x", Variant::Long(5), "quebra\nde linha"};
  CallOutcome returned;
  returned.result = Variant::Integer(0);
  EXPECT_TRUE(ReturnedSuccess(returned));
  EXPECT_EQ(CallAnswerText(returned, arguments),
            R"({"result":{"Integer":0},"args":["Data Source=x",{"Long":5},"quebra\nde linha"]})");
  CallOutcome raised;
  raised.raised = RuntimeError(-2147217900, "texto \"inválido\"");
  EXPECT_FALSE(ReturnedSuccess(raised));
  EXPECT_EQ(CallAnswerText(raised, {}), R"({"raised":{"number":-2147217900,"description":"texto \"inválido\""},"args":[]})");
  EXPECT_EQ(CallAnswerJson(raised, {}).dump(), CallAnswerText(raised, {}));
  for (const Variant& other : {Variant::Long(0), Variant::Integer(1), Variant("0")}) {
    returned.result = other;
    EXPECT_FALSE(ReturnedSuccess(returned));
  }
}

}  // namespace
}  // namespace tpl::host

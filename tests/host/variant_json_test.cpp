#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "host/call_arguments.h"
#include "host/json_document.h"
#include "host/variant_json.h"
#include "support/suite.h"

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
      {R"("Título ação")", "Título ação"}, {"false", false}, {"null", Variant::Null()}, {R"({"Empty":null})", Variant()},
      {R"({"Integer":-32768})", Variant::Integer(-32768)}, {R"({"Integer":32767})", Variant::Integer(32767)},
      {R"({"Long":-2147483648})", min_long}, {R"({"Double":3})", 3.0, R"({"Double":3.0})"},
      {R"({"Double":"-Infinity"})", -std::numeric_limits<double>::infinity()},
      {"-2147483648", min_long, R"({"Long":-2147483648})"}, {"2147483648", 2147483648.0, R"({"Double":2147483648.0})"},
      {"4.0", Variant::Long(4), R"({"Long":4})"}, {"1e300", 1e300, R"({"Double":1e+300})"},
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
      {R"({"Matrix":[[1],2]})", "value.Matrix[1]: expected a row"},
      {R"({"Matrix":{"a":1}})", "expected a JSON array of rows"},
      {R"({"Integer":32768})", "outside -32768..32767"}, {R"({"Integer":-32769})", "outside -32768..32767"},
      {R"({"Integer":1.5})", "expected a whole number"}, {R"({"Long":2147483648})", "outside -2147483648..2147483647"},
      {R"({"Long":18446744073709551615})", "expected a whole number"}, {R"({"Double":"1.5"})", "expected a number"},
      {R"({"long":7})", "unknown tag \"long\""}, {R"({"Long":7,"Integer":1})", "exactly one key"},
      {R"({"Empty":0})", "Empty takes null"},
      {R"({"Array":{"a":1}})", "expected a JSON array of values"}, {"[1,2]", "a bare JSON array is not"},
      {R"({"Object":"Dictionary"})", "only an unset reference"},
      {R"({"Dictionary":[1]})", "expected a JSON object of items"},
      {R"({"Dictionary":{"a":1,"a":2}})", "key \"a\" appears twice"},
      {R"({"Array":[{"Integer":99999}]})", "value.Array[0].Integer: 99999 is outside"},
      {R"({"Dictionary":{"k":{"Date":"x"}}})", R"(value.Dictionary["k"].Date:)"},
  };
  for (const char* date : {R"("2001-02-29")", R"("2001-10-13T24:00:00")", R"("2001-10-13T10:20")", "20011013"})
    rows.push_back({std::string(R"({"Date":)") + date + "}", "expected a real date"});
  rows.push_back({R"({"Array":[1,]})", "malformed JSON"});
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

// Objects compare by identity; their encoding tells every type and value inside.
TEST(HostVariantJson, DictionariesKeepInsertionOrderAndNestedValuesRoundTrip) {
  const std::string encoded = R"({"Dictionary":{"zeta":{"Long":1},"alfa":{"Array":[{"Matrix":[[{"Date":)"
                              R"("1999-12-31T23:59:59"},{"Double":0.1}]]},{"Empty":null}]},"meio":null}})";
  EXPECT_EQ(Encode(Decode(encoded)), encoded);
}

class Recordset : public Object {
 public:
  std::string TypeName() const override { return "Recordset"; }
};

// Finite doubles are written by the JSON library, which reads them back bit for bit; NaN is ours.
TEST(HostVariantJson, NanComesBackAndOtherObjectsShowTheirTypeName) {
  EXPECT_TRUE(std::isnan(Decode(Encode(Variant(std::nan("")))).AsDouble()));
  EXPECT_EQ(Encode(Variant(std::shared_ptr<Object>(std::make_shared<Recordset>()))), R"({"Object":"Recordset"})");
}

// Texts are written as nlohmann's dump writes them: the same escapes, UTF-8 passed through, and bytes that are not
// UTF-8 (overlong forms, surrogates, code points past U+10FFFF, cut sequences) replaced by U+FFFD by its rules.
TEST(HostVariantJson, TextsAreWrittenAsTheJsonLibraryWritesThem) {
  const std::pair<std::string, std::string> written[] = {
      {"aspas \" e barra \\", R"("aspas \" e barra \\")"}, {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string("\x01\x1f\x7f\0", 4), R"("\u0001\u001f)" "\x7f" R"(\u0000")"},
      {"Título € 𝄞", R"("Título € 𝄞")"},
  };
  for (const auto& [text, json] : written) EXPECT_EQ(Encode(Variant(text)), json) << json;
  for (const char* bad : {"a\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "x\x80y", "\xe2\x82\xe2\x82\xac"}) {
    EXPECT_EQ(Encode(Variant(bad)), Json(bad).dump(-1, ' ', false, Json::error_handler_t::replace)) << bad;
  }
  EXPECT_EQ(Encode(Vector({"\x01", Variant::Null(), false})), R"({"Array":["\u0001",null,false]})");
}

TEST(HostVariantJson, CallAnswersHoldTheResultOrTheRaisedErrorAndTheArguments) {
  CallOutcome returned;
  returned.result = Variant::Integer(0);
  EXPECT_TRUE(ReturnedSuccess(returned));
  CallOutcome raised;
  raised.raised = RuntimeError(-2147217900, "texto \"inválido\"");
  EXPECT_FALSE(ReturnedSuccess(raised));
  EXPECT_EQ(CallAnswerText(raised, {}), R"({"raised":{"number":-2147217900,"description":"texto \"inválido\""},"args":[]})");
  EXPECT_EQ(CallAnswerJson(raised, {}).dump(), CallAnswerText(raised, {}));
  returned.result = Variant::Long(0);
  EXPECT_FALSE(ReturnedSuccess(returned)) << "only an Integer 0 is a success";
}

}  // namespace
}  // namespace tpl::host

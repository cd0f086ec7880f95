// The road of `tpl call`'s input: the text is read as a JSON document, then
// decoded as one Variant and as the arguments of every method that takes
// that many. Refusals must be InputError, nothing else; what is accepted
// must encode, and its encoding must decode to a value that encodes the
// same way again.
#include <string>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "host/call_arguments.h"
#include "host/json_document.h"
#include "host/variant_json.h"
#include "tpl/tpl.h"

namespace tpl::fuzz {
namespace {

using host::Json;

// The host writes its answers as text directly; the text must be what
// nlohmann's dump writes for the same tree, and values read from JSON must
// need no replacing of bytes that are not UTF-8.
std::string CheckedText(const std::string& text) {
  Json tree;
  try {
    tree = Json::parse(text);
  } catch (const Json::exception& e) {
    Fail("the host wrote " + text + ", which is not JSON: " + e.what());
  }
  std::string dumped;
  try {
    dumped = tree.dump(-1, ' ', false, Json::error_handler_t::strict);
  } catch (const Json::type_error& e) {
    Fail(std::string("an accepted value encodes to text that is not UTF-8: ") + e.what());
  }
  if (dumped != text) Fail("the host wrote " + text + " where the tree dumps as " + dumped);
  return text;
}

std::string Encode(const Variant& value) {
  std::string text;
  host::AppendVariantJson(value, text);
  return CheckedText(text);
}

// The host reads its own output as any other input, so the encoding of an
// accepted value must be accepted too and stand for the same value. It is
// read without the nesting limit: tagging bare numbers adds a level.
void CheckRoundTrip(const Variant& value) {
  const std::string text = Encode(value);
  Variant again;
  try {
    again = host::DecodeVariant(Json::parse(text));
  } catch (const host::InputError& e) {
    Fail("the encoding " + text + " is refused: " + e.what());
  }
  const std::string text_again = Encode(again);
  if (text_again != text) Fail("the encoding " + text + " decodes to " + text_again);
}

void DecodeAsArguments(const Json& document) {
  for (const MethodInfo& method : TPL::Methods()) {
    if (method.parameters.size() != document.size()) continue;
    try {
      const std::vector<Variant> arguments = host::DecodeCallArguments(method, document);
      CheckedText(host::CallAnswerText(host::CallOutcome{}, arguments));
    } catch (const host::InputError&) {
    }
  }
}

}  // namespace

int FuzzVariantJson(const uint8_t* data, size_t size) {
  const std::string text = Expand(AsText(data, size));
  Json document;
  try {
    document = host::ParseJsonDocument(text);
  } catch (const host::InputError&) {
    return 0;
  }
  try {
    CheckRoundTrip(host::DecodeVariant(document));
  } catch (const host::InputError&) {
  }
  if (document.is_array()) DecodeAsArguments(document);
  return 0;
}

}  // namespace tpl::fuzz

#include "host/call_arguments.h"

#include <string>
#include <utility>
#include <vector>

#include "support/suite.h"

namespace tpl::host {
namespace {

// Decoding `input` for `method` must be refused with a message holding `part`.
void ExpectRefused(const MethodInfo& method, const std::string& input, const std::string& part) {
  try {
    DecodeCallArguments(method, Json::parse(input));
    ADD_FAILURE() << "accepted: " << input;
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << input << " gave: " << e.what();
  }
}

// A method shaped like the job routines: typed parameters beside Variants.
const MethodInfo kJobLikeMethod{0x60030009, "mTyped", ResultType::Boolean,
                                {{"inlngID", ParameterType::Long},
                                 {"InStrTexto", ParameterType::String},
                                 {"outvntMsg_Ret", ParameterType::Variant}}};

TEST(HostCallArguments, TypedParametersAcceptWhatConvertsAndKeepItAsGiven) {
  for (const char* input : {R"([12, "texto", null])", R"(["12", 3.5, {"Empty":null}])",
                            R"([{"Integer":1}, {"Date":"2001-10-13"}, {"Array":[]}])",
                            R"([{"Empty":null}, {"Empty":null}, ""])"}) {
    std::vector<Variant> arguments;
    ASSERT_NO_THROW(arguments = DecodeCallArguments(kJobLikeMethod, Json::parse(input))) << input;
    EXPECT_EQ(arguments.size(), 3u) << input;
  }
  // Invoke converts typed values on the way in; until then they stay as given.
  const auto kept = DecodeCallArguments(kJobLikeMethod, Json::parse(R"(["12", 3.5, null])"));
  EXPECT_TRUE(kept[0] == Variant("12"));
  EXPECT_TRUE(kept[1] == Variant(3.5));
}

TEST(HostCallArguments, ValuesThatATypedParameterCannotTakeAreRefused) {
  std::vector<std::pair<std::string, std::string>> rows = {  // input, part of the message
      {R"(["doze", "", null])", "args[0] (inlngID): does not convert to the parameter's type Long"},
      {R"([3000000000, "", null])", "args[0] (inlngID): does not convert"},
      {R"([{"Array":[1]}, "", null])", "args[0] (inlngID): does not convert"},
      {R"([null, "", null])", "args[0] (inlngID): does not convert"},
      {R"([1, null, null])", "args[1] (InStrTexto): does not convert to the parameter's type String"},
      {R"([1, {"Array":["a"]}, null])", "args[1] (InStrTexto): does not convert"},
      {R"([1, "", {"Long":"x"}])", "args[2] (outvntMsg_Ret).Long: expected a whole number"},
      {R"([1, ""])", "mTyped takes 3 arguments; 2 given"}, {R"({"a":1})", "must be a JSON array"},
  };
  for (const auto& [input, message] : rows) ExpectRefused(kJobLikeMethod, input, message);
}

}  // namespace
}  // namespace tpl::host

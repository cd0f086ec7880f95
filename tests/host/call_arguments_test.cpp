#include "host/call_arguments.h"

#include <string>
#include <utility>
#include <vector>

#include "support/suite.h"

namespace tpl::host {
namespace {

// A method shaped like the job routines: typed parameters beside Variants. What converts is kept as given (Invoke
// converts typed values on the way in); a refusal names the argument and says why.
TEST(HostCallArguments, TypedParametersTakeWhatConvertsAndRefuseTheRest) {
  const MethodInfo method{0x60030009, "mTyped", ResultType::Boolean,
                          {{"inlngID", ParameterType::Long},
                           {"InStrTexto", ParameterType::String},
                           {"outvntMsg_Ret", ParameterType::Variant}}};
  const std::vector<std::pair<std::string, std::string>> rows = {  // input, part of the refusal ("" if accepted)
      {R"(["12", 3.5, {"Empty":null}])", ""}, {R"([{"Integer":1}, {"Date":"2001-10-13"}, {"Array":[]}])", ""},
      {R"([{"Empty":null}, {"Empty":null}, ""])", ""},
      {R"(["doze", "", null])", "args[0] (inlngID): does not convert to the parameter's type Long"},
      {R"([3000000000, "", null])", "args[0] (inlngID): does not convert"},
      {R"([null, "", null])", "args[0] (inlngID): does not convert"},
      {R"([1, null, null])", "args[1] (InStrTexto): does not convert to the parameter's type String"},
      {R"([1, {"Array":["a"]}, null])", "args[1] (InStrTexto): does not convert"},
      {R"([1, "", {"Long":"x"}])", "args[2] (outvntMsg_Ret).Long: expected a whole number"},
      {R"([1, ""])", "mTyped takes 3 arguments; 2 given"}, {R"({"a":1})", "must be a JSON array"},
  };
  for (const auto& [input, refusal] : rows) {
    try {
      const std::vector<Variant> arguments = DecodeCallArguments(method, Json::parse(input));
      EXPECT_EQ(refusal, "") << input << " was accepted";
      EXPECT_EQ(arguments.size(), 3u) << input;
    } catch (const InputError& e) {
      EXPECT_TRUE(!refusal.empty() && std::string(e.what()).find(refusal) != std::string::npos)
          << input << " gave: " << e.what();
    }
  }
  const std::vector<Variant> kept = DecodeCallArguments(method, Json::parse(R"(["12", 3.5, null])"));
  EXPECT_TRUE(kept[0] == Variant("12") && kept[1] == Variant(3.5));
}

}  // namespace
}  // namespace tpl::host

#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "host/call_arguments.h"
#include "host/commands.h"
#include "host/input_error.h"
#include "host/json_document.h"
#include "host/variant_json.h"
#include "tpl/runtime_error.h"
#include "tpl/tpl.h"

namespace tpl::host {

namespace {

constexpr const char* kUsage = "Usage: tpl call METHOD [--args FILE] [--pretty]\n";

struct CallOptions {
  std::string method;
  std::optional<std::string> arguments_file;
  bool pretty = false;
};

// Fills `options`; false (with the reason on err) when the words do not fit.
bool ReadOptions(CommandArguments words, CallOptions& options, std::ostream& err) {
  bool have_method = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--args") {
      if (i + 1 == words.size()) {
        err << "tpl call: --args needs a FILE\n";
        return false;
      }
      options.arguments_file = words[++i];
    } else if (word == "--pretty") {
      options.pretty = true;
    } else if (!word.starts_with("-") && !have_method) {
      options.method = word;
      have_method = true;
    } else {
      err << "tpl call: unexpected '" << word << "'\n";
      return false;
    }
  }
  if (!have_method) err << "tpl call: no method named\n";
  return have_method;
}

std::string ReadAll(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The JSON text of the arguments, from the file when one is named.
std::optional<std::string> ReadArgumentsText(const CallOptions& options, HostStreams& streams) {
  if (!options.arguments_file) return ReadAll(streams.in);
  std::ifstream file(*options.arguments_file, std::ios::binary);
  if (!file) {
    streams.err << "tpl call: cannot read " << *options.arguments_file << '\n';
    return std::nullopt;
  }
  return ReadAll(file);
}

// Makes the call. An error raised by the method itself is part of the
// answer, not a failure of `tpl`.
Json Call(const MethodInfo& method, std::vector<Variant>& arguments) {
  Json answer = Json::object();
  try {
    TPL tpl;
    answer["result"] = EncodeVariant(tpl.Invoke(method.name, arguments));
  } catch (const RuntimeError& e) {
    answer["raised"] = {{"number", e.number()}, {"description", e.description()}};
  }
  answer["args"] = EncodeCallArguments(arguments);
  return answer;
}

}  // namespace

int RunCall(CommandArguments words, HostStreams& streams) {
  CallOptions options;
  if (!ReadOptions(words, options, streams.err)) {
    streams.err << kUsage;
    return kExitUsage;
  }
  const MethodInfo* method = TPL::FindMethod(options.method);
  if (method == nullptr) {
    streams.err << "tpl call: unknown method '" << options.method
                << "' (`tpl methods` lists them)\n";
    return kExitUsage;
  }
  const std::optional<std::string> text = ReadArgumentsText(options, streams);
  if (!text) return kExitUsage;

  std::vector<Variant> arguments;
  try {
    arguments = DecodeCallArguments(*method, ParseJsonDocument(*text));
  } catch (const InputError& e) {
    streams.err << "tpl call " << method->name << ": " << e.what() << '\n';
    return kExitUsage;
  }

  Json answer;
  try {
    answer = Call(*method, arguments);
  } catch (const std::exception& e) {
    streams.err << "tpl call " << method->name << ": the call failed: " << e.what() << '\n';
    return kExitFailure;
  }
  // Texts coming back from a database need not be valid UTF-8; such bytes
  // are replaced rather than aborting the whole answer.
  streams.out << answer.dump(options.pretty ? 2 : -1, ' ', false, Json::error_handler_t::replace)
              << '\n';
  return kExitSuccess;
}

}  // namespace tpl::host

#include "host/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string_view>

#include "host/call_arguments.h"
#include "host/http_service.h"
#include "host/json_document.h"
#include "host/variant_json.h"
#include "host/worker_command.h"
#include "tpl/embedded_database.h"
#include "tpl/runtime_error.h"
#include "tpl/tpl.h"

namespace tpl::host {

namespace {

// A command's own arguments: the words after the command name.
using CommandArguments = std::span<const std::string>;

// init-db [--demo] FILE: creates a ready embedded database in a new file,
// with the demo schema and rows when asked.
int RunInitDb(CommandArguments arguments, HostStreams& streams) {
  bool demo = !arguments.empty() && arguments.front() == "--demo";
  if (demo) arguments = arguments.subspan(1);
  if (arguments.size() != 1 || arguments.front().starts_with("-")) {
    streams.err << "Usage: tpl init-db [--demo] FILE\n";
    return kExitUsage;
  }
  const std::string& file = arguments.front();
  try {
    db::CreateEmbeddedDatabase(file, demo);
  } catch (const RuntimeError& e) {
    streams.err << "tpl init-db: cannot create the database " << file << ": " << e.description()
                << " (" << e.number() << ")\n";
    return kExitFailure;
  } catch (const std::exception& e) {
    streams.err << "tpl init-db: cannot create the database " << file << ": " << e.what() << '\n';
    return kExitFailure;
  }
  streams.out << "Created the embedded database " << file << (demo ? " with the demo data" : "")
              << ".\n";
  return kExitSuccess;
}

void WriteMethodsText(std::ostream& out) {
  for (const MethodInfo& method : TPL::Methods()) {
    out << HexDispatchId(method.dispatch_id) << ' ' << method.name << ' '
        << TypeName(method.result);
    // A parameter with a role says it after its type: "invntConecta_db:Variant[connection]".
    for (const ParameterInfo& parameter : method.parameters) {
      out << ' ' << parameter.name << ':' << TypeName(parameter.type);
      if (parameter.role != ParameterRole::Ordinary) out << '[' << RoleName(parameter.role) << ']';
    }
    out << '\n';
  }
}

// methods [--json]: lists the dispatch interface of TPL.
int RunMethods(CommandArguments arguments, HostStreams& streams) {
  const bool json = arguments.size() == 1 && arguments.front() == "--json";
  if (!arguments.empty() && !json) {
    streams.err << "Usage: tpl methods [--json]\n";
    return kExitUsage;
  }
  if (json) {
    streams.out << MethodTableJson().dump(2) << '\n';
  } else {
    WriteMethodsText(streams.out);
  }
  return kExitSuccess;
}

constexpr const char* kCallUsage =
    "Usage: tpl call METHOD [--args FILE] [--database CONNECTION] [--kind SQLSERVER|ORACLE] "
    "[--pretty]\n";

struct CallOptions {
  std::string method;
  std::optional<std::string> arguments_file;
  // Given, they replace the arguments of the method's connection-string
  // and Database-kind parameters, wherever the method has them.
  std::optional<std::string> database;
  std::optional<std::string> kind;
  bool pretty = false;
};

// Fills `options`; false (with the reason on err) when the words do not fit.
bool ReadCallOptions(CommandArguments words, CallOptions& options, std::ostream& err) {
  bool have_method = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--args") {
      if (i + 1 == words.size()) {
        err << "tpl call: --args needs a FILE\n";
        return false;
      }
      options.arguments_file = words[++i];
    } else if (word == "--database" || word == "--kind") {
      if (i + 1 == words.size()) {
        err << "tpl call: " << word << " needs a value\n";
        return false;
      }
      (word == "--database" ? options.database : options.kind) = words[++i];
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

// call METHOD [--args FILE] [--database C] [--kind K] [--pretty]: calls one
// method with arguments read as JSON (the connection string and Database
// kind replaced when given) and prints the result and every argument after
// the call.
int RunCall(CommandArguments words, HostStreams& streams) {
  CallOptions options;
  if (!ReadCallOptions(words, options, streams.err)) {
    streams.err << kCallUsage;
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
  ImposeDatabase(*method, arguments, options.database, options.kind);

  CallOutcome outcome;
  try {
    outcome = MakeCall(*method, arguments);
  } catch (const std::exception& e) {
    streams.err << "tpl call " << method->name << ": the call failed: " << e.what() << '\n';
    return kExitFailure;
  }
  if (options.pretty) {
    streams.out << AnswerText(CallAnswerJson(outcome, arguments), true) << '\n';
  } else {
    streams.out << CallAnswerText(outcome, arguments) << '\n';
  }
  return kExitSuccess;
}

constexpr const char* kServeUsage =
    "Usage: tpl serve --database CONNECTION --kind SQLSERVER|ORACLE --token-file FILE\n"
    "                 [--listen HOST:PORT] [--threads N] [--max-connections N]\n";

// Fills `options`; false (with the reason on err) when the words do not fit.
bool ReadServeOptions(CommandArguments words, ServiceOptions& options, std::ostream& err) {
  std::optional<std::string> token_file;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (i + 1 == words.size()) {
      err << "tpl serve: " << (word.starts_with("--") ? word + " needs a value" : "unexpected '" + word + "'")
          << '\n';
      return false;
    }
    const std::string& value = words[++i];
    if (word == "--database") {
      options.database = value;
    } else if (word == "--kind") {
      if (value != "SQLSERVER" && value != "ORACLE") {
        err << "tpl serve: --kind is SQLSERVER or ORACLE\n";
        return false;
      }
      options.kind = value;
    } else if (word == "--listen") {
      if (!ParseListenAddress(value, options.host, options.port)) {
        err << "tpl serve: --listen takes HOST:PORT, such as 127.0.0.1:8080\n";
        return false;
      }
    } else if (word == "--token-file") {
      token_file = value;
    } else if (word == "--threads") {
      const int threads = std::atoi(value.c_str());
      if (threads < 1 || threads > 256 || std::to_string(threads) != value) {
        err << "tpl serve: --threads takes a number from 1 to 256\n";
        return false;
      }
      options.threads = static_cast<size_t>(threads);
    } else if (word == "--max-connections") {
      const int connections = std::atoi(value.c_str());
      if (connections < 1 || connections > 10000 || std::to_string(connections) != value) {
        err << "tpl serve: --max-connections takes a number from 1 to 10000\n";
        return false;
      }
      options.limits.max_connections = static_cast<size_t>(connections);
    } else {
      err << "tpl serve: unexpected '" << word << "'\n";
      return false;
    }
  }
  if (options.database.empty() || options.kind.empty() || !token_file) {
    err << "tpl serve: --database, --kind and --token-file are needed\n";
    return false;
  }
  try {
    options.token = ReadTokenFile(*token_file);
  } catch (const InputError& e) {
    err << "tpl serve: " << e.what() << '\n';
    return false;
  }
  return true;
}

// serve ...: the methods as an HTTP JSON service with the web page, until
// SIGINT or SIGTERM.
int RunServe(CommandArguments words, HostStreams& streams) {
  ServiceOptions options;
  if (!ReadServeOptions(words, options, streams.err)) {
    streams.err << kServeUsage;
    return kExitUsage;
  }
  return RunServiceUntilSignalled(options, streams.err);
}

// The commands of `tpl`. A new command (a future `tpl run` that runs a
// report for a person) is one more function above and one more row here.
struct Command {
  std::string_view name;
  std::string_view synopsis;  // the arguments, as shown in the usage text
  std::string_view summary;
  int (*run)(CommandArguments arguments, HostStreams& streams);
};

constexpr Command kCommands[] = {
    {"init-db", "[--demo] FILE",
     "create a ready embedded database in FILE (which must not exist); --demo adds a sales "
     "schema, user groups and users to try reports on",
     RunInitDb},
    {"methods", "[--json]", "list the methods of TPL: dispatch id, name, result, parameters",
     RunMethods},
    {"call", "METHOD [--args FILE] [--database CONNECTION] [--kind KIND] [--pretty]",
     "call METHOD with the JSON array of arguments read from standard input (or FILE); "
     "--database and --kind replace the connection string and the Database kind",
     RunCall},
    {"serve",
     "--database CONNECTION --kind SQLSERVER|ORACLE --token-file FILE [--listen HOST:PORT] "
     "[--threads N] [--max-connections N]",
     "serve the methods as HTTP JSON (POST /api/call/METHOD, GET /api/methods) and the web "
     "page at /, on 127.0.0.1:8080 unless --listen says otherwise, until SIGINT or SIGTERM",
     RunServe},
    {"worker", kWorkerSynopsis,
     "produce and e-mail the reports handed to background jobs and the e-mail requests, "
     "until SIGINT or SIGTERM (--once: until none is left)",
     RunWorkerCommand},
};

bool IsHelp(const std::string& word) { return word == "--help" || word == "-h" || word == "help"; }

}  // namespace

void WriteUsage(std::ostream& out) {
  out << "Usage: tpl COMMAND [ARGUMENTS]\n\nCommands:\n";
  for (const Command& command : kCommands) {
    out << "  " << command.name << ' ' << command.synopsis << "\n      " << command.summary
        << '\n';
  }
  out << "  --help\n      show this text\n"
         "\n"
         "Values in JSON: a string is a String, true/false a Boolean, null is Null;\n"
         "  {\"Empty\":null}  {\"Integer\":10}  {\"Long\":7}  {\"Double\":1.5}\n"
         "  {\"Date\":\"2001-10-13T10:20:00\"} (or \"2001-10-13\")\n"
         "  {\"Array\":[V,...]}  {\"Matrix\":[[V,...],...]} (row by row, rows of one length)\n"
         "  {\"Dictionary\":{\"KEY\":V,...}}  {\"Object\":\"Nothing\"}\n"
         "  A bare number is a Long when whole and within 32 bits, else a Double.\n"
         "\n"
         "`tpl call` prints {\"result\":V,\"args\":[V,...]}, or {\"raised\":{\"number\":N,\n"
         "\"description\":\"...\"},\"args\":[...]} when the method raised an error.\n"
         "\n"
         "Exit status: 0 done (the method was called), 1 the work failed,\n"
         "2 the command line or the input was refused.\n";
}

int RunCommandLine(std::span<const std::string> words, HostStreams& streams) {
  if (words.empty() || IsHelp(words.front())) {
    WriteUsage(streams.out);
    return kExitSuccess;
  }
  for (const Command& command : kCommands) {
    if (command.name == words.front()) return command.run(words.subspan(1), streams);
  }
  streams.err << "tpl: unknown command '" << words.front() << "'\n\n";
  WriteUsage(streams.err);
  return kExitUsage;
}

}  // namespace tpl::host

#include "host/command_line.h"

#include "host/commands.h"

namespace tpl::host {

namespace {

constexpr Command kCommands[] = {
    {"init-db", "FILE", "create a ready embedded database in FILE (which must not exist)",
     RunInitDb},
    {"methods", "[--json]", "list the methods of TPL: dispatch id, name, result, parameters",
     RunMethods},
    {"call", "METHOD [--args FILE] [--pretty]",
     "call METHOD with the JSON array of arguments read from standard input (or FILE)",
     RunCall},
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

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "host/commands.h"
#include "host/json_document.h"
#include "host/method_types.h"
#include "tpl/tpl.h"

namespace tpl::host {

namespace {

// Dispatch identifiers are shown as the interface description writes them:
// eight hexadecimal digits, 60030010.
std::string HexDispatchId(int32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<uint32_t>(id));
  return text;
}

void WriteText(std::ostream& out) {
  for (const MethodInfo& method : TPL::Methods()) {
    out << HexDispatchId(method.dispatch_id) << ' ' << method.name << ' '
        << TypeName(method.result);
    for (const ParameterInfo& parameter : method.parameters) {
      out << ' ' << parameter.name << ':' << TypeName(parameter.type);
    }
    out << '\n';
  }
}

void WriteJson(std::ostream& out) {
  Json methods = Json::array();
  for (const MethodInfo& method : TPL::Methods()) {
    Json parameters = Json::array();
    for (const ParameterInfo& parameter : method.parameters) {
      parameters.push_back({{"name", parameter.name}, {"type", TypeName(parameter.type)}});
    }
    methods.push_back({{"dispatch_id", HexDispatchId(method.dispatch_id)},
                       {"name", method.name},
                       {"result", TypeName(method.result)},
                       {"parameters", std::move(parameters)}});
  }
  out << methods.dump(2) << '\n';
}

}  // namespace

int RunMethods(CommandArguments arguments, HostStreams& streams) {
  const bool json = arguments.size() == 1 && arguments.front() == "--json";
  if (!arguments.empty() && !json) {
    streams.err << "Usage: tpl methods [--json]\n";
    return kExitUsage;
  }
  if (json) {
    WriteJson(streams.out);
  } else {
    WriteText(streams.out);
  }
  return kExitSuccess;
}

}  // namespace tpl::host

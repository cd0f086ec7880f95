#include "host/call_arguments.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/variant_json.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl::host {

namespace {

bool ConvertsTo(ParameterType type, const Variant& value) {
  switch (type) {
    case ParameterType::Long: {
      int32_t number;
      return TryToLong(value, number);
    }
    case ParameterType::String: {
      std::string text;
      return TryToText(value, text);
    }
    case ParameterType::Variant:
      break;
  }
  return true;
}

}  // namespace

std::vector<Variant> DecodeCallArguments(const MethodInfo& method, const Json& document) {
  if (!document.is_array()) {
    throw InputError("the arguments must be a JSON array, one value per parameter");
  }
  if (document.size() != method.parameters.size()) {
    throw InputError(std::string(method.name) + " takes " +
                     std::to_string(method.parameters.size()) + " arguments; " +
                     std::to_string(document.size()) + " given");
  }
  std::vector<Variant> arguments;
  arguments.reserve(document.size());
  for (size_t i = 0; i < document.size(); ++i) {
    const ParameterInfo& parameter = method.parameters[i];
    const std::string where =
        "args[" + std::to_string(i) + "] (" + std::string(parameter.name) + ")";
    Variant value = DecodeVariant(document[i], where);
    if (!ConvertsTo(parameter.type, value)) {
      throw InputError(where + ": does not convert to the parameter's type " +
                       std::string(TypeName(parameter.type)));
    }
    arguments.push_back(std::move(value));
  }
  return arguments;
}

CallOutcome MakeCall(const MethodInfo& method, std::vector<Variant>& arguments) {
  CallOutcome outcome;
  try {
    TPL tpl;
    outcome.result = tpl.Invoke(method.name, arguments);
  } catch (const RuntimeError& e) {
    outcome.raised = e;
  }
  return outcome;
}

bool ReturnedSuccess(const CallOutcome& outcome) {
  return !outcome.raised && outcome.result.type() == VarType::Integer && outcome.result.AsInteger() == 0;
}

std::string CallAnswerText(const CallOutcome& outcome, const std::vector<Variant>& arguments) {
  std::string text;
  if (outcome.raised) {
    text += "{\"raised\":{\"number\":" + std::to_string(outcome.raised->number()) + ",\"description\":";
    AppendJsonString(outcome.raised->description(), text);
    text += "},\"args\":[";
  } else {
    text += "{\"result\":";
    AppendVariantJson(outcome.result, text);
    text += ",\"args\":[";
  }
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ',';
    AppendVariantJson(arguments[i], text);
  }
  text += "]}";
  return text;
}

Json CallAnswerJson(const CallOutcome& outcome, const std::vector<Variant>& arguments) {
  return Json::parse(CallAnswerText(outcome, arguments));
}

std::string AnswerText(const Json& answer, bool pretty) {
  return answer.dump(pretty ? 2 : -1, ' ', false, Json::error_handler_t::replace);
}

std::string HexDispatchId(int32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<uint32_t>(id));
  return text;
}

Json MethodTableJson() {
  Json methods = Json::array();
  for (const MethodInfo& method : TPL::Methods()) {
    Json parameters = Json::array();
    for (const ParameterInfo& parameter : method.parameters) {
      Json entry = {{"name", parameter.name}, {"type", TypeName(parameter.type)}};
      if (parameter.role != ParameterRole::Ordinary) entry["role"] = RoleName(parameter.role);
      parameters.push_back(std::move(entry));
    }
    methods.push_back({{"dispatch_id", HexDispatchId(method.dispatch_id)},
                       {"name", method.name},
                       {"result", TypeName(method.result)},
                       {"parameters", std::move(parameters)}});
  }
  return methods;
}

std::string_view TypeName(ParameterType type) {
  switch (type) {
    case ParameterType::Variant:
      return "Variant";
    case ParameterType::Long:
      return "Long";
    case ParameterType::String:
      return "String";
  }
  return "?";
}

std::string_view RoleName(ParameterRole role) {
  switch (role) {
    case ParameterRole::Connection: return "connection";
    case ParameterRole::DatabaseKind: return "kind";
    case ParameterRole::MessageSlot: return "message";
    case ParameterRole::User: return "user";
    case ParameterRole::Ordinary: break;
  }
  return "ordinary";
}

void ImposeDatabase(const MethodInfo& method, std::vector<Variant>& arguments,
                    const std::optional<std::string>& connection,
                    const std::optional<std::string>& kind) {
  for (size_t i = 0; i < method.parameters.size() && i < arguments.size(); ++i) {
    const ParameterRole role = method.parameters[i].role;
    if (role == ParameterRole::Connection && connection) arguments[i] = Variant(*connection);
    if (role == ParameterRole::DatabaseKind && kind) arguments[i] = Variant(*kind);
  }
}

std::string_view TypeName(ResultType type) {
  switch (type) {
    case ResultType::Variant:
      return "Variant";
    case ResultType::Boolean:
      return "Boolean";
  }
  return "?";
}

}  // namespace tpl::host

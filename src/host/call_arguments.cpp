#include "host/call_arguments.h"

#include <cstdint>
#include <string>

#include "host/variant_json.h"
#include "tpl/conversions.h"

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

Json EncodeCallArguments(const std::vector<Variant>& arguments) {
  Json encoded = Json::array();
  for (const Variant& argument : arguments) encoded.push_back(EncodeVariant(argument));
  return encoded;
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

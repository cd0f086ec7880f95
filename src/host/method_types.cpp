#include "host/method_types.h"

namespace tpl::host {

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

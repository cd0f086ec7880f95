#include "platform/odbc/odbc_call_text.h"

#include "tpl/runtime_error.h"

namespace tpl::db::odbc {

std::string BuildCallText(std::string_view procedure_name, size_t parameter_count) {
  const auto blanks = " \t\r\n";
  const size_t first = procedure_name.find_first_not_of(blanks);
  const std::string_view name =
      first == std::string_view::npos
          ? std::string_view{}
          : procedure_name.substr(first, procedure_name.find_last_not_of(blanks) - first + 1);
  if (name.empty() || name.find_first_of("{}();\r\n") != std::string_view::npos) {
    throw RuntimeError(error::kInvalidProcedureCall,
                       "Nome de procedimento inválido: \"" + std::string(procedure_name) + "\"");
  }
  std::string text = "{call ";
  text += name;
  if (parameter_count > 0) {
    text += '(';
    for (size_t i = 0; i < parameter_count; ++i) text += i == 0 ? "?" : ",?";
    text += ')';
  }
  text += '}';
  return text;
}

}  // namespace tpl::db::odbc

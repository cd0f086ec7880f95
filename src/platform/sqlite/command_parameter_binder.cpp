#include "platform/sqlite/command_parameter_binder.h"

#include <charconv>
#include <string>
#include <string_view>

#include "platform/sqlite/ascii_case.h"
#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/variant_binding.h"

namespace tpl::db::sqlite {

const Parameter& CommandParameterBinder::ParameterFor(const char* marker) {
  if (marker == nullptr) {
    if (next_ >= parameters_.size()) {
      RaiseSqlError("O comando tem mais marcadores \"?\" que parâmetros (" +
                    std::to_string(parameters_.size()) + ")");
    }
    return parameters_[next_++];
  }
  const std::string_view name(marker);
  if (name.front() == '?') {
    size_t number = 0;
    std::from_chars(name.data() + 1, name.data() + name.size(), number);
    if (number < 1 || number > parameters_.size()) RaiseSqlError("Parâmetro inexistente: " + std::string(name));
    return parameters_[number - 1];
  }
  for (const Parameter& parameter : parameters_) {
    if (EqualsIgnoringCase(WithoutParameterMarker(parameter.name), WithoutParameterMarker(name))) {
      return parameter;
    }
  }
  RaiseSqlError("Parâmetro inexistente: " + std::string(name));
}

void CommandParameterBinder::Bind(sqlite3_stmt* statement) {
  const int count = sqlite3_bind_parameter_count(statement);
  for (int i = 1; i <= count; ++i) {
    BindVariant(connection_, statement, i, ParameterFor(sqlite3_bind_parameter_name(statement, i)).value);
  }
}

}  // namespace tpl::db::sqlite

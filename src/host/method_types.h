// Names of parameter and result types as `tpl` shows them.
#pragma once

#include <string_view>

#include "tpl/tpl.h"

namespace tpl::host {

std::string_view TypeName(ParameterType type);
std::string_view TypeName(ResultType type);

}  // namespace tpl::host

// The arguments of `tpl call`, from the JSON array read to the Variants
// handed to TPL::Invoke, and back. Everything Invoke would refuse as a call
// it cannot make (wrong count, a typed parameter given a value that does
// not convert) is refused here first, so that an error raised by Invoke
// always comes from inside the method.
#pragma once

#include <string_view>
#include <vector>

#include "host/json_document.h"
#include "tpl/tpl.h"
#include "tpl/variant.h"

namespace tpl::host {

// Raises InputError naming the argument at fault.
std::vector<Variant> DecodeCallArguments(const MethodInfo& method, const Json& document);

Json EncodeCallArguments(const std::vector<Variant>& arguments);

// Names of parameter and result types as `tpl` shows them, in refusals and
// in `tpl methods`.
std::string_view TypeName(ParameterType type);
std::string_view TypeName(ResultType type);

}  // namespace tpl::host

// The dispatch table of TPL: each public method's description and the
// adapter that calls it with an argument list. A method joins the table
// when it is built.
#pragma once

#include <vector>

#include "tpl/tpl.h"

namespace tpl {

using MethodAdapter = Variant (*)(TPL& instance, std::vector<Variant>& args);

struct MethodEntry {
  MethodInfo info;
  MethodAdapter call;
};

// Interface order.
const std::vector<MethodEntry>& MethodEntries();

}  // namespace tpl

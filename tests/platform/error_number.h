// Test helper: the number of the RuntimeError a call raises, 0 if none.
#pragma once

#include <cstdint>

#include "tpl/runtime_error.h"

namespace tpl::platform_test {

template <typename F>
int32_t ErrorNumber(F&& call) {
  try {
    call();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace tpl::platform_test

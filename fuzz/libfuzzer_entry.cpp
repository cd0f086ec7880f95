// The libFuzzer entry point of one fuzzer program. CMake compiles this file
// once per target with TPL_FUZZ_TARGET naming the target's function.
#include <cstddef>
#include <cstdint>

#include "fuzz_targets.h"

#ifndef TPL_FUZZ_TARGET
#error "TPL_FUZZ_TARGET names the target function, e.g. FuzzSqlText"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tpl::fuzz::TPL_FUZZ_TARGET(data, size);
}

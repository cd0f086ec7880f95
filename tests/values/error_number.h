// Test helpers: the RuntimeError a call raises, its number (0 if none), or its number, SQLSTATE and description in one
// text to match against.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "tpl/runtime_error.h"

namespace tpl::platform_test {

template <typename F>
std::optional<RuntimeError> Caught(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const RuntimeError& e) {
    return e;
  }
  return std::nullopt;
}

template <typename F>
int32_t ErrorNumber(F&& call) {
  const std::optional<RuntimeError> e = Caught(std::forward<F>(call));
  return e ? e->number() : 0;
}

// "number: description", or "number SQLSTATE: description"; "" when the call succeeds.
template <typename F>
std::string Failure(F&& call) {
  const std::optional<RuntimeError> e = Caught(std::forward<F>(call));
  if (!e) return "";
  return std::to_string(e->number()) + (e->sql_state().empty() ? "" : " " + e->sql_state()) + ": " + e->description();
}

}  // namespace tpl::platform_test

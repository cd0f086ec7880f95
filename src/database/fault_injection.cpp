#include "database/fault_injection.h"

#ifdef TPL_TESTABLE

#include "sentences/sentences.h"
#include "tpl/runtime_error.h"

namespace tpl::db {
namespace {

constexpr size_t kShownText = 160;

struct FaultState {
  bool active = false;
  int fail_at = 0;
  int operations = 0;
  int live_connections = 0;
  std::string_view command;  // set by FaultContext while active
  std::string failed;
};

FaultState& State() noexcept {
  thread_local FaultState state;
  return state;
}

std::string Shown(std::string_view text) {
  return std::string(text.substr(0, kShownText)) + (text.size() > kShownText ? "..." : "");
}

}  // namespace

FaultInjection::FaultInjection(int fail_at) noexcept {
  FaultState& state = State();
  state.active = true;
  state.fail_at = fail_at;
  state.operations = 0;
  state.command = {};
  state.failed.clear();
}

FaultInjection::~FaultInjection() { State().active = false; }

int FaultInjection::operations() const noexcept { return State().operations; }

const std::string& FaultInjection::failed() const noexcept { return State().failed; }

int FaultInjection::LiveConnections() noexcept { return State().live_connections; }

void FaultPoint(std::string_view kind, std::string_view text) {
  FaultState& state = State();
  if (!state.active || ++state.operations != state.fail_at) return;
  std::string description(kind);
  if (!text.empty()) description += ": " + Shown(text);
  if (!state.command.empty() && state.command != text) description += " [in " + Shown(state.command) + "]";
  state.failed = description;
  throw RuntimeError(kInjectedFailure, Compose(sentences::kInjectedFailure, description));
}

void FaultPoint(std::string_view kind, const char* text) {
  FaultState& state = State();
  if (!state.active || state.operations + 1 != state.fail_at) {
    if (state.active) ++state.operations;
    return;
  }
  FaultPoint(kind, text == nullptr ? std::string_view() : std::string_view(text));
}

FaultContext::FaultContext(std::string_view command) noexcept : active_(State().active) {
  if (!active_) return;
  outer_ = State().command;
  State().command = command;
}

FaultContext::~FaultContext() {
  if (active_) State().command = outer_;
}

void NoteConnectionOpened() noexcept { ++State().live_connections; }
void NoteConnectionClosed() noexcept { --State().live_connections; }

}  // namespace tpl::db

#endif  // TPL_TESTABLE

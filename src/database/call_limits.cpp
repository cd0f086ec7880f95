#include "database/call_limits.h"

#include <utility>

namespace tpl::db {

#ifdef TPL_TESTABLE
namespace {

// What a test asked for on its own thread.
thread_local SessionLimits thread_values;

}  // namespace

SessionLimits& ThreadSessionLimits() noexcept { return thread_values; }
#endif

CallLimits::CallLimits(std::shared_ptr<std::atomic<bool>> spent) noexcept
    : spent_(std::move(spent)) {
#ifdef TPL_TESTABLE
  values_ = thread_values;
#endif
}

CallLimits CallLimits::ForNewCall() {
  return CallLimits(std::make_shared<std::atomic<bool>>(false));
}

CallLimits CallLimits::OutsideAnyCall() noexcept { return CallLimits(nullptr); }

}  // namespace tpl::db

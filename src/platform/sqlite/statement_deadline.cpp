#include "platform/sqlite/statement_deadline.h"

namespace tpl::db::sqlite {
namespace {

// Reading the clock costs far less than a thousand steps, so checks are
// frequent enough to stop a statement within milliseconds of its limit.
constexpr int kStepsBetweenChecks = 1000;

}  // namespace

StatementDeadline::StatementDeadline(sqlite3* connection, int32_t seconds) : connection_(connection) {
  if (seconds <= 0) return;
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  sqlite3_progress_handler(connection_, kStepsBetweenChecks, &StatementDeadline::OnProgress, this);
  active_ = true;
}

StatementDeadline::~StatementDeadline() {
  if (active_) sqlite3_progress_handler(connection_, 0, nullptr, nullptr);
}

int StatementDeadline::OnProgress(void* self) noexcept {
  auto* deadline = static_cast<StatementDeadline*>(self);
  if (std::chrono::steady_clock::now() < deadline->deadline_) return 0;
  deadline->expired_ = true;
  return 1;
}

}  // namespace tpl::db::sqlite

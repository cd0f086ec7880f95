#include "database/odbc/odbc_time_limits.h"

#include <sqlext.h>

#include "database/odbc/odbc_library.h"

namespace tpl::db::odbc {

#ifdef TPL_TESTABLE
LoginTimeoutForTesting::LoginTimeoutForTesting(std::chrono::seconds limit) noexcept
    : previous_(ThreadSessionLimits().login_timeout) {
  ThreadSessionLimits().login_timeout = limit;
}

LoginTimeoutForTesting::~LoginTimeoutForTesting() {
  ThreadSessionLimits().login_timeout = previous_;
}
#endif

StatementTimeLimit::StatementTimeLimit(SQLHSTMT statement, int32_t seconds) : statement_(statement) {
  if (seconds <= 0) return;
  const auto requested = static_cast<SQLULEN>(seconds);
  const SQLRETURN rc =
      SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(requested), 0);
  SQLULEN kept = 0;
  const bool driver_keeps_it =
      rc == SQL_SUCCESS && SQL_SUCCEEDED(SQLGetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, &kept, 0, nullptr)) &&
      kept != 0 && kept <= requested;
  if (driver_keeps_it) return;
  // A thread cannot be started without memory or threads to spare; that
  // failure raises std::system_error rather than running without a limit.
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  watchdog_ = std::thread(&StatementTimeLimit::Watch, this);
}

StatementTimeLimit::~StatementTimeLimit() {
  if (!watchdog_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  finished_signal_.notify_one();
  watchdog_.join();
}

bool StatementTimeLimit::cancelled() const noexcept {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

StatementTimeLimit::Paused::Paused(StatementTimeLimit& limit) noexcept
    : limit_(limit), started_(std::chrono::steady_clock::now()) {
  std::lock_guard lock(limit_.mutex_);
  limit_.paused_ = true;
}

StatementTimeLimit::Paused::~Paused() {
  {
    std::lock_guard lock(limit_.mutex_);
    limit_.paused_ = false;
    limit_.deadline_ += std::chrono::steady_clock::now() - started_;
  }
  limit_.finished_signal_.notify_one();
}

void StatementTimeLimit::Watch() noexcept {
  std::unique_lock lock(mutex_);
  // The deadline moves while the clock is paused.
  for (;;) {
    if (paused_) {
      finished_signal_.wait(lock, [this] { return finished_ || !paused_; });
    } else if (!finished_signal_.wait_until(lock, deadline_,
                                            [this] { return finished_ || paused_; }) &&
               std::chrono::steady_clock::now() >= deadline_) {
      break;
    }
    if (finished_) return;
  }
  // SQLCancel is the one call ODBC allows on a statement that another
  // thread is running; the running call then fails.
  SQLCancel(statement_);
  cancelled_ = true;
}

}  // namespace tpl::db::odbc

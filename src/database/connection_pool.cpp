#include "database/connection_pool.h"

#include <algorithm>
#include <utility>

namespace tpl::db {
namespace {

bool IsLoginTimeout(const RuntimeError& failure) {
  return failure.sql_state() == kLoginTimeoutState && failure.number() != error::kCommandTimeout;
}

}  // namespace

#ifdef TPL_TESTABLE
UnreachableWindowForTesting::UnreachableWindowForTesting(
    std::chrono::steady_clock::duration window) noexcept
    : previous_(ThreadSessionLimits().unreachable_window) {
  ThreadSessionLimits().unreachable_window = window;
}

UnreachableWindowForTesting::~UnreachableWindowForTesting() {
  ThreadSessionLimits().unreachable_window = previous_;
}
#endif

ConnectionPool& ConnectionPool::Shared() {
  static ConnectionPool pool;
  return pool;
}

std::unique_ptr<Provider> ConnectionPool::Take(const std::string& connection_string,
                                               const CallLimits& call) {
  std::vector<std::unique_ptr<Provider>> closing;
  for (;;) {
    std::unique_ptr<Provider> candidate;
    {
      const std::lock_guard lock(mutex_);
      Trim(Clock::now(), closing);
      const auto list = idle_.find(connection_string);
      if (list == idle_.end()) break;
      candidate = std::move(list->second.back().session);
      list->second.pop_back();
      --idle_count_;
      if (list->second.empty()) idle_.erase(list);
    }
    // Asked outside the lock: for a file it is a look at the disk, for a
    // server it may be a question to the driver.
    if (!candidate->IsBroken()) {
      candidate->ServeCall(call);
      const std::lock_guard lock(mutex_);
      ++counts_.reused;
      return candidate;
    }
    const std::lock_guard lock(mutex_);
    ++counts_.discarded;
    closing.push_back(std::move(candidate));
  }
  closing.clear();
  std::unique_ptr<Provider> session = Open(connection_string, call);
  const std::lock_guard lock(mutex_);
  ++counts_.opened;
  return session;
}

std::unique_ptr<Provider> ConnectionPool::Open(const std::string& connection_string,
                                               const CallLimits& call) {
  {
    const std::lock_guard lock(mutex_);
    const auto mark = unreachable_.find(connection_string);
    if (mark != unreachable_.end()) {
      if (Clock::now() < mark->second.until) throw mark->second.failure;
      unreachable_.erase(mark);
    }
  }
  try {
    return OpenProvider(connection_string, call);
  } catch (const RuntimeError& failure) {
    if (IsLoginTimeout(failure)) {
      const std::lock_guard lock(mutex_);
      unreachable_.insert_or_assign(
          connection_string, Unreachable{Clock::now() + call.values().unreachable_window, failure});
    }
    throw;
  }
}

void ConnectionPool::HandBack(const std::string& connection_string, std::unique_ptr<Provider> session) noexcept {
  if (session == nullptr) return;
  // Resetting may talk to the server: done before taking the lock.
  const bool reusable = !session->IsBroken() && session->ResetForReuse();
  // An idle session keeps nothing of the call it served.
  session->ServeCall(CallLimits::OutsideAnyCall());
  std::vector<std::unique_ptr<Provider>> closing;
  try {
    const std::lock_guard lock(mutex_);
    if (reusable && limits_.idle_per_connection_string > 0 && limits_.idle_in_all > 0) {
      const Clock::time_point now = Clock::now();
      idle_[connection_string].push_back({std::move(session), now});
      ++idle_count_;
      Trim(now, closing);
    } else {
      ++counts_.discarded;
    }
  } catch (...) {
    // Without memory for the list the session is simply closed.
  }
  // `session` (when not kept) and `closing` close here, outside the lock.
}

void ConnectionPool::Trim(Clock::time_point now, std::vector<std::unique_ptr<Provider>>& closing) {
  const auto close_oldest = [&](std::vector<IdleSession>& list) {
    closing.push_back(std::move(list.front().session));
    list.erase(list.begin());
    --idle_count_;
    ++counts_.discarded;
  };
  for (auto& [connection_string, list] : idle_) {
    while (!list.empty() && (now - list.front().since >= limits_.idle_time ||
                             list.size() > limits_.idle_per_connection_string)) {
      close_oldest(list);
    }
  }
  while (idle_count_ > limits_.idle_in_all) {
    auto oldest = idle_.end();
    for (auto it = idle_.begin(); it != idle_.end(); ++it) {
      if (!it->second.empty() && (oldest == idle_.end() || it->second.front().since < oldest->second.front().since))
        oldest = it;
    }
    close_oldest(oldest->second);
  }
  std::erase_if(idle_, [](const auto& entry) { return entry.second.empty(); });
  std::erase_if(unreachable_, [&](const auto& entry) { return entry.second.until <= now; });
}

void ConnectionPool::Clear() noexcept {
  std::unordered_map<std::string, std::vector<IdleSession>> closing;
  {
    const std::lock_guard lock(mutex_);
    counts_.discarded += idle_count_;
    closing.swap(idle_);
    idle_count_ = 0;
    unreachable_.clear();
  }
}

void ConnectionPool::SetLimits(const ConnectionPoolLimits& limits) noexcept {
  std::vector<std::unique_ptr<Provider>> closing;
  const std::lock_guard lock(mutex_);
  limits_ = limits;
  try {
    Trim(Clock::now(), closing);
  } catch (...) {
  }
}

ConnectionPoolLimits ConnectionPool::limits() const {
  const std::lock_guard lock(mutex_);
  return limits_;
}

ConnectionPool::Counts ConnectionPool::counts() const {
  const std::lock_guard lock(mutex_);
  Counts counts = counts_;
  counts.idle = idle_count_;
  return counts;
}

}  // namespace tpl::db

#include "database/sqlite/writer_turns.h"

#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "database/lock_wait.h"
#include "database/sqlite/statements.h"

namespace tpl::db::sqlite {

// The queue of one database file. The turn goes from hand to hand: whoever
// gives it back passes it to the longest waiter, so nobody who arrives later
// can slip in between.
class WriterQueue {
 public:
  // False when the turn did not come by `deadline`.
  bool Take(std::chrono::steady_clock::time_point deadline, bool may_wait) {
    std::unique_lock lock(mutex_);
    if (!taken_) {
      taken_ = true;
      return true;
    }
    if (!may_wait) return false;
    Waiter& me = waiting_.emplace_back();
    const auto mine = std::prev(waiting_.end());
    const bool granted = me.woken.wait_until(lock, deadline, [&] { return me.granted; });
    waiting_.erase(mine);
    return granted;
  }

  void Give() noexcept {
    std::lock_guard lock(mutex_);
    for (Waiter& next : waiting_) {
      if (next.granted) continue;
      next.granted = true;
      next.woken.notify_one();
      return;
    }
    taken_ = false;
  }

 private:
  struct Waiter {
    std::condition_variable woken;
    bool granted = false;
  };

  std::mutex mutex_;
  bool taken_ = false;
  // Oldest first. A waiter whose deadline passes leaves the list; one that
  // was granted the turn keeps it even if its deadline has just passed.
  std::list<Waiter> waiting_;
};

namespace {

// One queue per file name, kept for the life of the process and never
// destroyed: a session that a static object closes at exit may still give
// its turn back after the statics of this file are gone.
WriterQueue& QueueOf(const std::string& file) {
  static auto* const mutex = new std::mutex;
  static auto* const queues = new std::map<std::string, std::unique_ptr<WriterQueue>>;
  std::lock_guard lock(*mutex);
  std::unique_ptr<WriterQueue>& queue = (*queues)[file];
  if (queue == nullptr) queue = std::make_unique<WriterQueue>();
  return *queue;
}

thread_local std::optional<std::chrono::steady_clock::time_point> turn_wait_started;

// Clears the thread's wait start whichever way BeginWriting leaves.
struct TurnWaitMark {
  TurnWaitMark() noexcept { turn_wait_started = std::chrono::steady_clock::now(); }
  ~TurnWaitMark() { turn_wait_started.reset(); }
};

}  // namespace

void WriterTurn::Take(sqlite3* connection, const CallLimits& call) {
  if (queue_ != nullptr) return;
  const char* name = sqlite3_db_filename(connection, "main");
  // A database in memory or a temporary one is seen by this session alone.
  if (name == nullptr || *name == '\0') return;
  WriterQueue& queue = QueueOf(name);
  const auto deadline =
      turn_wait_started.value_or(std::chrono::steady_clock::now()) + LockWaitLimit(call);
  if (!queue.Take(deadline, LockWaitAllowed(call))) {
    if (LockWaitAllowed(call)) NoteLockWaitRanOut(call);
    RaiseSqliteError(nullptr, SQLITE_BUSY);
  }
  queue_ = &queue;
}

void WriterTurn::Release() noexcept {
  if (queue_ == nullptr) return;
  queue_->Give();
  queue_ = nullptr;
}

void BeginWriting(sqlite3* connection, WriterTurn& turn, const CallLimits& call) {
  const TurnWaitMark mark;
  // A session already in its transaction keeps its turn when a second
  // BEGIN is refused.
  const bool held_before = turn.held();
  turn.Take(connection, call);
  try {
    ExecuteScript(connection, "BEGIN IMMEDIATE");
  } catch (...) {
    if (!held_before) turn.Release();
    throw;
  }
}

std::optional<std::chrono::steady_clock::time_point> TurnWaitStartedOnThisThread() noexcept {
  return turn_wait_started;
}

}  // namespace tpl::db::sqlite

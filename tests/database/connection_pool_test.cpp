// The sessions kept between connections: what comes back from the pool is as clean as a new session, and what failed
// or no longer matches its file never comes back. A session reused, and an unfinished transaction, on every provider:
// database/conformance.
#include "database/connection_pool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "database/connection.h"
#include "database/lock_wait.h"
#include "database/recordset.h"
#include "values/error_number.h"
#include "support/temp_database.h"
#include "tpl/embedded_database.h"

namespace tpl::db {
namespace {

using platform_test::ErrorNumber;

class PooledSessions : public ::testing::Test {
 protected:
  PooledSessions() {
    ConnectionPool::Shared().Clear();
    database_.Execute("CREATE TABLE t (i INTEGER)");
    before_ = Counts();
  }
  static ConnectionPool::Counts Counts() { return ConnectionPool::Shared().counts(); }
  size_t Opened() const { return Counts().opened - before_.opened; }
  size_t Reused() const { return Counts().reused - before_.reused; }
  // Opens a connection, runs `sql` on it and closes it again.
  void RunAlone(const std::string& sql) {
    Connection connection(database_.connection_string(), CallLimits::OutsideAnyCall());
    Recordset().Open(sql, connection);
  }

  testing::TempDatabase database_;
  ConnectionPool::Counts before_;
};

// Each of these leaves the session unlike a new one; the next connection gets a new session.
TEST_F(PooledSessions, NeverReusesASessionThatFailedOrCarriesState) {
  const struct { const char* what; const char* sql; } rows[] = {
      {"a failed statement", "INSERT INTO no_such_table VALUES (1)"},
      {"a temporary table", "CREATE TEMP TABLE scratch (i INTEGER)"}, {"an attached file", "ATTACH ':memory:' AS o"},
      {"a pragma set, here a lock kept for good", "PRAGMA locking_mode = EXCLUSIVE"},
  };
  for (const auto& row : rows) {
    ConnectionPool::Shared().Clear();
    before_ = Counts();
    try {
      RunAlone(row.sql);
    } catch (const RuntimeError&) {
    }
    RunAlone("SELECT 1");
    EXPECT_EQ(Opened(), 2u) << row.what;
    EXPECT_EQ(Reused(), 0u) << row.what;
  }
}

// A database file replaced on disk is read through a new session; a removed one fails to open, as without a pool.
TEST_F(PooledSessions, NeverServesAFileThatWasReplacedOrRemoved) {
  RunAlone("INSERT INTO t VALUES (1)");
  const std::filesystem::path file = database_.file();
  std::filesystem::remove(file);
  CreateEmbeddedDatabase(file.string());
  EXPECT_EQ(ErrorNumber([&] { RunAlone("SELECT * FROM t"); }), 1) << "the new file has no table t";
  EXPECT_EQ(Opened(), 1u);

  RunAlone("SELECT 1");
  std::filesystem::remove(file);
  EXPECT_NE(ErrorNumber([&] { RunAlone("SELECT 1"); }), 0);
  CreateEmbeddedDatabase(file.string());  // for the fixture's own clean-up
}

TEST_F(PooledSessions, KeepsNoMoreSessionsThanItsLimitsAndNoneTooLong) {
  const struct { ConnectionPoolLimits limits; size_t idle_after_four; } rows[] = {
      {{2, 32, std::chrono::seconds(60)}, 2}, {{8, 3, std::chrono::seconds(60)}, 3},
      {{8, 32, std::chrono::seconds(0)}, 0}, {{0, 0, std::chrono::seconds(60)}, 0},
  };
  // The shared pool's own limits come back however the test ends.
  struct Restore {
    ConnectionPoolLimits saved = ConnectionPool::Shared().limits();
    ~Restore() { ConnectionPool::Shared().SetLimits(saved); }
  } restore;
  const std::string text = database_.connection_string();
  const CallLimits outside = CallLimits::OutsideAnyCall();
  for (const auto& row : rows) {
    ConnectionPool::Shared().Clear();
    ConnectionPool::Shared().SetLimits(row.limits);
    { Connection a(text, outside), b(text, outside), c(text, outside), d(text, outside); }
    EXPECT_EQ(Counts().idle, row.idle_after_four) << row.limits.idle_per_connection_string;
  }
}

// Sessions move between threads: each connection is used by one thread at a time, the pool by all.
TEST_F(PooledSessions, ServesThreadsAtOnce) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) RunAlone("INSERT INTO t VALUES (" + std::to_string(t * 100 + i) + ")");
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(database_.Count("t"), 100);
  EXPECT_LE(Opened(), 4u);
}

// A session waits for a lock as the limits it was taken with allow, on whatever thread: a call waits the full limit
// once, then its sessions give up at once; another call, and work outside any call, wait again. Each row's session is
// a pooled one that last served a call with its budget whole.
TEST_F(PooledSessions, ASessionWaitsForLocksAsTheLimitsItWasTakenWithAllow) {
  const LockWaitLimitForTesting shorter(std::chrono::milliseconds(20));
  const CallLimits call = CallLimits::ForNewCall(), other = CallLimits::ForNewCall(),
                   outside = CallLimits::OutsideAnyCall();
  ASSERT_EQ(call.values().lock_wait, std::chrono::milliseconds(20)) << "a new call starts from its thread's values";
  Connection holder(database_.connection_string(), outside);
  holder.BeginTrans();
  Recordset().Open("INSERT INTO t VALUES (1)", holder);

  const struct { const char* who; const CallLimits& limits; int waits_run_out; } rows[] = {
      {"the call's first wait", call, 1}, {"the call's next session", call, 0}, {"another call", other, 1},
      {"outside any call", outside, 1}, {"outside any call, again", outside, 1},
  };
  for (const auto& row : rows) {
    Connection(database_.connection_string(), CallLimits::ForNewCall()).Close();
    const size_t reused = Reused();
    int number = 0, waits_run_out = -1;
    std::thread([&] {
      const LockWaitLimitForTesting counted(std::chrono::milliseconds(20));
      number = ErrorNumber([&] {
        Connection connection(database_.connection_string(), row.limits);
        Recordset().Open("INSERT INTO t VALUES (2)", connection);
      });
      waits_run_out = counted.waits_run_out();
    }).join();
    EXPECT_EQ(number & 0xff, 5) << row.who << ": SQLITE_BUSY";
    EXPECT_EQ(waits_run_out, row.waits_run_out) << row.who;
    EXPECT_EQ(Reused(), reused + 1) << row.who;
  }
}

}  // namespace
}  // namespace tpl::db

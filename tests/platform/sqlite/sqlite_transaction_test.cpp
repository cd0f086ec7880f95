// Transactions of the provider and counters drawn by concurrent processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include <string>

#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {
namespace {

class SqliteTransaction : public ::testing::Test {
 protected:
  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteTransaction, CommitKeepsAndRollbackUndoes) {
  provider_->BeginTransaction();
  RunSql(*provider_, "INSERT INTO GRUPO_USUARIO VALUES (1, 'mantido')");
  provider_->CommitTransaction();
  provider_->BeginTransaction();
  RunSql(*provider_, "INSERT INTO GRUPO_USUARIO VALUES (2, 'desfeito')");
  provider_->RollbackTransaction();
  EXPECT_EQ(RunScalar(*provider_, "SELECT group_concat(DESC_GRUPO_USUARIO) FROM GRUPO_USUARIO"), Variant("mantido"));
}

TEST_F(SqliteTransaction, RollbackWithoutTransactionIsHarmless) {
  EXPECT_NO_THROW(provider_->RollbackTransaction());
  provider_->BeginTransaction();
  provider_->RollbackTransaction();
  EXPECT_NO_THROW(provider_->RollbackTransaction());
}

TEST_F(SqliteTransaction, ATransactionHoldsTheWriteLockFromItsStart) {
  provider_->BeginTransaction();
  auto other = database_.Open();
  RunSql(*other, "PRAGMA busy_timeout = 200");
  try {
    other->BeginTransaction();
    ADD_FAILURE() << "a second writer got in";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number() & 0xff, SQLITE_BUSY) << error.description();
  }
  provider_->RollbackTransaction();
  EXPECT_NO_THROW(other->BeginTransaction()) << "free again once the first one ended";
  other->RollbackTransaction();
}

// Each process draws numbers from the infra_ids counter the way the library
// does (read, add one, update) inside BEGIN IMMEDIATE, and records each
// number it drew. No number may be drawn twice.
TEST(SqliteCounter, ConcurrentProcessesNeverDrawTheSameNumber) {
  SqliteTestDatabase database;
  constexpr int kProcesses = 3;
  constexpr int kDraws = 150;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int status = 0;
      try {
        auto provider = OpenSqliteProvider(database.file());
        for (int i = 0; i < kDraws; ++i) {
          provider->BeginTransaction();
          const int32_t drawn = RunScalar(*provider, "SELECT  LOG_GERADOR_ID FROM infra_ids ").AsLong() + 1;
          const std::string number = std::to_string(drawn);
          RunSql(*provider, "UPDATE infra_ids SET LOG_GERADOR_ID = " + number);
          RunSql(*provider, "INSERT INTO LOG_SISTEMA (LOG_SISTEMA_ID, TABELA_SISTEMA_ID) VALUES (" + number + ", " +
                             std::to_string(p) + ")");
          provider->CommitTransaction();
        }
      } catch (...) {
        status = 1;
      }
      _exit(status);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "process " << child << " failed";
  }
  auto provider = database.Open();
  const int32_t total = kProcesses * kDraws;
  EXPECT_EQ(RunScalar(*provider, "SELECT COUNT(*) FROM LOG_SISTEMA"), Variant(total));
  EXPECT_EQ(RunScalar(*provider, "SELECT COUNT(DISTINCT LOG_SISTEMA_ID) FROM LOG_SISTEMA"), Variant(total));
  EXPECT_EQ(RunScalar(*provider, "SELECT LOG_GERADOR_ID FROM infra_ids"), Variant(total));
  EXPECT_EQ(RunScalar(*provider, "SELECT COUNT(DISTINCT TABELA_SISTEMA_ID) FROM LOG_SISTEMA"), Variant(kProcesses))
      << "every process drew";
}

}  // namespace
}  // namespace tpl::db::testing

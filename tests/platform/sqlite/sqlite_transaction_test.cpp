// Transactions of the provider and counters drawn by concurrent processes.
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using SqliteTransaction = SqliteTest;

TEST_F(SqliteTransaction, CommitKeepsAndRollbackUndoes) {
  EXPECT_NO_THROW(provider_->RollbackTransaction()) << "harmless without a transaction";
  provider_->BeginTransaction();
  Run("INSERT INTO GRUPO_USUARIO VALUES (1, 'mantido')");
  provider_->CommitTransaction();
  provider_->BeginTransaction();
  Run("INSERT INTO GRUPO_USUARIO VALUES (2, 'desfeito')");
  provider_->RollbackTransaction();
  EXPECT_NO_THROW(provider_->RollbackTransaction()) << "harmless once the transaction ended";
  EXPECT_EQ(Scalar("SELECT group_concat(DESC_GRUPO_USUARIO) FROM GRUPO_USUARIO"), Variant("mantido"));
}

TEST_F(SqliteTransaction, ATransactionHoldsTheWriteLockFromItsStart) {
  provider_->BeginTransaction();
  auto other = database_.Open();
  RunSql(*other, "PRAGMA busy_timeout = 200");
  EXPECT_EQ(ErrorNumber([&] { other->BeginTransaction(); }) & 0xff, SQLITE_BUSY) << "a second writer got in";
  provider_->RollbackTransaction();
  EXPECT_NO_THROW(other->BeginTransaction()) << "free again once the first one ended";
  other->RollbackTransaction();
}

// Each process draws numbers from the infra_ids counter the way the library
// does (read, add one, update) inside BEGIN IMMEDIATE, and records each
// number it drew. No number may be drawn twice.
TEST(SqliteCounter, ConcurrentProcessesNeverDrawTheSameNumber) {
  SqliteTestDatabase database;
  constexpr int kProcesses = 3, kDraws = 150;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child > 0) {
      children.push_back(child);
      continue;
    }
    try {
      auto provider = OpenSqliteProvider(database.file());
      for (int i = 0; i < kDraws; ++i) {
        provider->BeginTransaction();
        const std::string number =
            std::to_string(RunScalar(*provider, "SELECT  LOG_GERADOR_ID FROM infra_ids ").AsLong() + 1);
        RunSql(*provider, "UPDATE infra_ids SET LOG_GERADOR_ID = " + number + ";"
                          "INSERT INTO LOG_SISTEMA (LOG_SISTEMA_ID, TABELA_SISTEMA_ID) VALUES (" + number + ", " +
                          std::to_string(p) + ")");
        provider->CommitTransaction();
      }
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "process " << child << " failed";
  }
  auto provider = database.Open();
  const int32_t total = kProcesses * kDraws;
  EXPECT_EQ(RunScalar(*provider, "SELECT COUNT(*) || '/' || COUNT(DISTINCT LOG_SISTEMA_ID) || '/' || "
                                 "COUNT(DISTINCT TABELA_SISTEMA_ID) FROM LOG_SISTEMA"),
            Variant(std::to_string(total) + "/" + std::to_string(total) + "/" + std::to_string(kProcesses)))
      << "rows / distinct numbers / processes that drew";
  EXPECT_EQ(RunScalar(*provider, "SELECT LOG_GERADOR_ID FROM infra_ids"), Variant(total));
}

}  // namespace
}  // namespace tpl::db::testing

// Transactions: work becomes visible to other sessions on commit only,
// and autocommit returns once the transaction ends.
#include "platform/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

class OdbcTransactionTest : public OdbcTest {
 protected:
  OdbcTransactionTest() { Run("CREATE TABLE t (i INTEGER)"); }

  Variant CountSeenByAnotherSession() {
    std::vector<Parameter> none;
    return OpenAnother()->Execute(CommandType::Text, "SELECT count(*) FROM t", none, 0).at(0).cells.at(0);
  }
};

TEST_F(OdbcTransactionTest, CommitKeepsAndRollbackOrClosingDiscards) {
  provider_->BeginTransaction();
  Run("INSERT INTO t VALUES (1)");
  EXPECT_EQ(CountSeenByAnotherSession(), Variant(int32_t{0})) << "before commit";
  provider_->CommitTransaction();
  EXPECT_EQ(CountSeenByAnotherSession(), Variant(int32_t{1})) << "after commit";
  provider_->BeginTransaction();
  Run("INSERT INTO t VALUES (2)");
  provider_->RollbackTransaction();
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(int32_t{1})) << "after rollback";
  Run("INSERT INTO t VALUES (3)");
  EXPECT_EQ(CountSeenByAnotherSession(), Variant(int32_t{2})) << "autocommit back on";
  provider_->BeginTransaction();
  Run("INSERT INTO t VALUES (4)");
  provider_.reset();
  EXPECT_EQ(CountSeenByAnotherSession(), Variant(int32_t{2})) << "closing discards an open transaction";
}

TEST_F(OdbcTransactionTest, MisplacedCallsAreRefusedExceptRollback) {
  EXPECT_NO_THROW(provider_->RollbackTransaction());
  EXPECT_THROW(provider_->CommitTransaction(), RuntimeError);
  provider_->BeginTransaction();
  EXPECT_THROW(provider_->BeginTransaction(), RuntimeError);
  provider_->RollbackTransaction();
  EXPECT_NO_THROW(provider_->RollbackTransaction());
}

}  // namespace
}  // namespace tpl::db::odbc

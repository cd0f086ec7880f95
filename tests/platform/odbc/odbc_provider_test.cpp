// The session: refused connections and failed statements carry the driver's number, message and SQLSTATE, time-outs
// become error::kCommandTimeout; transactions make work visible to other sessions on commit only, and autocommit
// returns once the transaction ends.
#include "platform/odbc/odbc_provider.h"
#include "platform/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

struct FailingCase { const char* input; const char* sql_state; int32_t number; const char* message_part; };

::testing::Matcher<std::string> DescribedFailure(const FailingCase& row) {
  return ::testing::AllOf(::testing::StartsWith(std::to_string(row.number) + " " + row.sql_state + ": "),
                          ::testing::HasSubstr(row.message_part));
}

TEST_F(OdbcTest, StatementErrorsCarryTheDriversDiagnostics) {
  Run("CREATE TABLE t (i INTEGER)");
  const FailingCase cases[] = {
      {"SELEC 1", "HY000", 1, "syntax error"},
      {"SELECT * FROM missing_table", "HY000", 1, "no such table: missing_table"},
      // The SQLite driver runs one statement per call unless the batch starts with DDL.
      {"SELECT 1; SELECT 2", "HY000", -1, "only one SQL statement allowed"},
  };
  for (const auto& row : cases) EXPECT_THAT(Failure([&] { Run(row.input); }), DescribedFailure(row));
  // A NUL is refused before the driver sees the text.
  EXPECT_THAT(Failure([&] { Run(std::string("SELECT 1\0; DROP TABLE t", 24)); }),
              ::testing::StartsWith(std::to_string(error::kCommandTextError) + ":"));
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(int32_t{0})) << "the session survives its errors";
}

TEST(OdbcConnection, RefusedConnectionStringsCarryTheDiagnostics) {
  const FailingCase cases[] = {
      {"Driver=NoSuchDriver;Database=x.db", "01000", kUnspecifiedOdbcError, "NoSuchDriver"},
      {"DSN=no_such_dsn", "IM002", kUnspecifiedOdbcError, "Data source name not found"},
      {"", "IM002", kUnspecifiedOdbcError, "Data source name not found"},
      {"Driver=SQLite3;Database=/no/such/folder/x.db", "HY000", 14, "connect failed"},
  };
  for (const auto& row : cases) EXPECT_THAT(Failure([&] { OpenOdbcProvider(row.input); }), DescribedFailure(row));
}

// The last record gives the SQLSTATE, the last native number the number; time-outs become kCommandTimeout; the
// descriptions are joined.
TEST(OdbcErrorTranslation, ChoosesNumberStateAndDescription) {
  const struct { std::vector<DiagnosticRecord> records; int32_t number; const char *sql_state, *description; }
  rows[] = {
      {{{"42S02", 208, "Invalid object name 'x'."}}, 208, "42S02", "Invalid object name 'x'."},
      {{{"IM002", 0, "Data source not found"}}, kUnspecifiedOdbcError, "IM002", "Data source not found"},
      {{{"01000", 5701, "Changed database context"}, {"42000", 102, "Incorrect syntax"}}, 102, "42000",
       "Changed database context; Incorrect syntax"},
      {{{"01000", 0, "Can't open lib"}}, kUnspecifiedOdbcError, "01000", "Can't open lib"},
      {{{"HYT00", 0, "Query timeout expired"}}, error::kCommandTimeout, "HYT00", "Query timeout expired"},
      {{{"08S01", 11, "Link failure"}, {"HYT01", 0, "Connection timeout expired"}}, error::kCommandTimeout, "HYT01",
       "Link failure; Connection timeout expired"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const RuntimeError e = ToRuntimeError(rows[i].records);
    EXPECT_EQ(e.number(), rows[i].number) << "row " << i;
    EXPECT_EQ(e.sql_state(), rows[i].sql_state) << "row " << i;
    EXPECT_EQ(e.description(), rows[i].description) << "row " << i;
  }
  const RuntimeError silent = ToRuntimeError({});
  EXPECT_EQ(silent.number(), kUnspecifiedOdbcError);
  EXPECT_FALSE(silent.description().empty());
}

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

// What every provider must do the same way, run against each of them (conformance_providers.h): row sets of statements
// and batches, the time-out, output parameters, type codes and scales, long UTF-8 texts, NULLs, the date range, errors,
// texts with a NUL, transactions, and pooled sessions, one of them dropped by the server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "database/conformance/conformance_providers.h"
#include "database/connection.h"
#include "database/connection_pool.h"
#include "database/recordset.h"
#include "values/error_number.h"
#include "database/provider_session.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl::db::conformance {
namespace {

using platform_test::Caught;
using platform_test::RunScalar;
using platform_test::RunSql;
using Clock = std::chrono::steady_clock;

class ProviderConformance : public ::testing::TestWithParam<ProviderEntry>, protected platform_test::ProviderSession {
 protected:
  void SetUp() override {
    std::string skip_reason;
    database_ = GetParam().make(skip_reason);
    if (!database_) GTEST_SKIP() << skip_reason;
    session_ = database_->Open();
  }
  void TearDown() override { session_.reset(); }
  using ProviderSession::Run;  // not gtest's own

  const Limits& limits() const { return GetParam().limits; }

  std::unique_ptr<TestDatabase> database_;
};

#define REQUIRE(capability) \
  if (!limits().capability) GTEST_SKIP() << GetParam().name << " cannot: " #capability

Parameter In(DataType type, Variant value) { return {"p", type, ParameterDirection::Input, 0, std::move(value)}; }

// Columns as "name:type:scale ...", to compare whole.
std::string Described(const std::vector<ColumnInfo>& columns) {
  std::string text;
  for (const ColumnInfo& c : columns)
    text += c.name + ":" + std::to_string(static_cast<int>(c.type)) + ":" + std::to_string(c.numeric_scale) + " ";
  return text;
}

Date MakeDate(DateParts parts) {
  Date date;
  EXPECT_TRUE(TryMakeDate(parts, date));
  return date;
}

// A row set handed over in blocks as it is fetched.
struct Blocks {
  bool found = false;
  std::vector<ResultSet> blocks;
  std::optional<RuntimeError> failure;
};

Blocks ReadInBlocks(Provider& session, std::string_view sql, size_t rows_per_block, int32_t timeout_seconds = 0) {
  Blocks read;
  std::vector<Parameter> none;
  read.failure = Caught([&] {
    read.found = session.ExecuteInBlocks(CommandType::Text, sql, none, timeout_seconds, rows_per_block,
                                         [&](ResultSet& block) {
                                           ResultSet copy;
                                           copy.columns = block.columns;
                                           block.cells.Consume([&](Variant& cell) { copy.cells.push_back(std::move(cell)); });
                                           read.blocks.push_back(std::move(copy));
                                         });
  });
  return read;
}

// Values of each type arrive typed, with the code and scale a report reads, the same on every provider (a BIGINT beyond
// 32 bits as a double, a decimal without scale with scale 0), and NULL in each. Blocks of any size give
// what the whole fetch gives, the columns in every block; an empty result gives one empty block.
TEST_P(ProviderConformance, ColumnsArriveTypedWholeAndInBlocks) {
  Run("CREATE TABLE t (i INTEGER, b BIGINT, f FLOAT, n NUMERIC(12,3), m DECIMAL(10), d DATE, ts TIMESTAMP, "
      "c CHAR(5), v VARCHAR(20), x TEXT)");
  using enum DataType;
  const struct { const char* name; DataType type; int32_t scale; DataType bound_as; Variant value; } columns[] = {
      {"i", Integer, 0, Integer, Variant(int32_t{42})}, {"b", Integer, 0, BigInt, Variant(5e9)},
      {"f", Double, 0, Double, Variant(2.5)}, {"n", Numeric, 3, Numeric, Variant(1234.567)},
      {"m", Numeric, 0, Numeric, Variant(7.0)},
      {"d", DBDate, 0, DBDate, Variant(MakeDate({2001, 10, 13}))},
      {"ts", Date, 0, Date, Variant(MakeDate({2001, 10, 13, 10, 20, 30}))},
      {"c", Char, 0, Char, Variant("abcde")}, {"v", VarChar, 0, VarChar, Variant("ação")},
      {"x", VarChar, 0, LongVarChar, Variant("texto longo")},
  };
  std::vector<Parameter> values;
  std::vector<ColumnInfo> declared;
  for (const auto& column : columns) {
    values.push_back(In(column.bound_as, column.value));
    declared.push_back({column.name, column.type, column.scale});
  }
  Run("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", values);
  Run("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", values);
  Run("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  const char* sql = "SELECT i, b, f, n, m, d, ts, c, v, x FROM t ORDER BY CASE WHEN i IS NULL THEN 1 ELSE 0 END";
  const std::vector<ResultSet> whole = Run(sql);
  ASSERT_EQ(whole.size(), 1u);
  ASSERT_EQ(whole[0].row_count(), 3u);
  EXPECT_EQ(Described(whole[0].columns), Described(declared));
  const size_t width = std::size(columns);
  for (size_t c = 0; c < width; ++c) {
    const Variant& value = whole[0].cells[c];
    if (value.type() == VarType::Double && columns[c].value.type() == VarType::Double) {
      EXPECT_NEAR(value.AsDouble(), CDbl(columns[c].value), 1e-9) << columns[c].name;
    } else {
      EXPECT_EQ(value, columns[c].value) << columns[c].name;
    }
    EXPECT_TRUE(whole[0].cells[2 * width + c].IsNull()) << columns[c].name;
  }
  for (const size_t size : {size_t{1}, size_t{2}, size_t{3}, size_t{100}}) {
    const Blocks read = ReadInBlocks(*session_, sql, size);
    ASSERT_FALSE(read.failure) << size << " " << read.failure->description();
    EXPECT_TRUE(read.found) << size;
    EXPECT_EQ(read.blocks.size(), (3 + size - 1) / size) << size;
    CellStore cells;
    for (const ResultSet& block : read.blocks) {
      EXPECT_EQ(Described(block.columns), Described(whole[0].columns)) << size;
      for (const Variant& cell : block.cells) cells.push_back(cell);
    }
    EXPECT_EQ(cells, whole[0].cells) << size;
  }
  const Blocks empty = ReadInBlocks(*session_, "SELECT i, v FROM t WHERE i > 99", 3);
  ASSERT_EQ(empty.blocks.size(), 1u);
  EXPECT_EQ(std::pair(empty.blocks[0].columns.size(), empty.blocks[0].row_count()), std::pair(size_t{2}, size_t{0}));
}

// The time a receiver spends on its blocks is not the statement's, whose time-out it must not trip; a receiver that
// gives up stops the fetch with its failure, and the session serves on. (A statement failing half-way through its
// rows: BlocksThenTheRestOfTheBatch.)
TEST_P(ProviderConformance, TheReceiverOfBlocksIsNotTheStatement) {
  Run("CREATE TABLE t (i INTEGER)");
  Run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) INSERT INTO t SELECT i FROM n");
  std::vector<Parameter> none;
  size_t rows = 0;
  const std::optional<RuntimeError> slow = Caught([&] {
    session_->ExecuteInBlocks(CommandType::Text, "SELECT a.i FROM t a ORDER BY a.i", none, 1, 1000, [&](ResultSet& block) {
      if (rows == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1300));
      rows += block.row_count();
    });
  });
  EXPECT_FALSE(slow.has_value()) << slow->description();
  EXPECT_EQ(rows, 3000u);
  int calls = 0;
  const std::optional<RuntimeError> stopped = Caught([&] {
    session_->ExecuteInBlocks(CommandType::Text, "SELECT i FROM t", none, 0, 2, [&](ResultSet&) {
      if (++calls == 2) throw RuntimeError(75, "disco cheio");
    });
  });
  ASSERT_TRUE(stopped.has_value());
  EXPECT_EQ(std::pair(stopped->number(), calls), std::pair(75, 2)) << "the fetch stops at the receiver's failure";
  EXPECT_EQ(Scalar("SELECT 3"), Variant(int32_t{3})) << "the session survives";
}

// Asked for the rest of the batch, a provider hands the first row set over in blocks and returns what Execute would
// have after it: the first one's columns, the later row sets whole (none for DDL and DML), a later failure kept for
// NextRecordset. A failure while the first row set is fetched raises, with nothing returned.
TEST_P(ProviderConformance, BlocksThenTheRestOfTheBatch) {
  REQUIRE(batches);
  Run("CREATE TABLE t (i INTEGER)");
  for (int32_t i = 1; i <= 5; ++i) Run("INSERT INTO t VALUES (?)", {In(DataType::Integer, Variant(i))});
  const struct { const char* batch; bool later_failure, first_fails = false; } rows[] = {
      {"SELECT i FROM t ORDER BY i; UPDATE t SET i = i WHERE i > 99; SELECT 2 AS b", false},  // DML: no row set
      {"SELECT i FROM t ORDER BY i; SELECT 2 AS b; SELECT * FROM missing_table", true},
      {"SELECT abs(CASE WHEN i = 4 THEN -9223372036854775807 - 1 ELSE i END) AS a FROM t ORDER BY i; SELECT 2 AS b",
       false, true},
  };
  std::vector<Parameter> none;
  for (const auto& row : rows) {
    std::vector<ResultSet> following;
    size_t fetched = 0;
    const std::optional<RuntimeError> failure = Caught([&] {
      session_->ExecuteInBlocks(
          CommandType::Text, row.batch, none, 0, 2, [&](ResultSet& block) { fetched += block.row_count(); },
          &following);
    });
    if (row.first_fails) {
      ASSERT_TRUE(failure.has_value()) << "the overflow went unnoticed";
      EXPECT_TRUE(following.empty());
      EXPECT_EQ(Scalar("SELECT 3"), Variant(int32_t{3})) << "the session survives";
      continue;
    }
    if (row.later_failure && !limits().batch_failure_keeps_earlier_row_sets) {
      ASSERT_TRUE(failure.has_value()) << row.batch;
      EXPECT_THAT(failure->description(), ::testing::HasSubstr("missing_table"));
      continue;
    }
    ASSERT_FALSE(failure.has_value()) << row.batch << ": " << failure->description();
    EXPECT_EQ(fetched, 5u) << row.batch;
    Recordset recordset(std::move(following));
    ASSERT_TRUE(recordset.IsOpen()) << row.batch;
    EXPECT_EQ(std::pair(recordset.FieldCount(), recordset.RecordCount()), std::pair(1, 0)) << row.batch;
    ASSERT_TRUE(recordset.NextRecordset()) << row.batch;
    EXPECT_EQ(recordset.Value(0), Variant(int32_t{2})) << row.batch;
    if (row.later_failure) {
      EXPECT_THAT(platform_test::Failure([&] { recordset.NextRecordset(); }), ::testing::HasSubstr("missing_table"));
    } else {
      EXPECT_FALSE(recordset.NextRecordset());
    }
  }
}

// A time-out cancels a slow statement read whole or in blocks; the session serves on.
TEST_P(ProviderConformance, TimeOutCancelsTheStatementAndKeepsTheSession) {
  for (const bool in_blocks : {false, true}) {
    const auto started = Clock::now();
    const std::optional<RuntimeError> e = in_blocks ? ReadInBlocks(*session_, database_->SlowQuery(), 100, 1).failure
                                                    : Caught([&] { RunSql(*session_, database_->SlowQuery(), 1); });
    const auto seconds = std::chrono::duration<double>(Clock::now() - started).count();
    ASSERT_TRUE(e.has_value()) << "the slow statement ran to its end; in blocks: " << in_blocks;
    EXPECT_EQ(e->number(), error::kCommandTimeout) << in_blocks << " " << e->sql_state() << " " << e->description();
    EXPECT_LT(seconds, 6.0) << in_blocks;
    EXPECT_EQ(Scalar("SELECT 3"), Variant(int32_t{3})) << "the session survives";
    EXPECT_TRUE(session_->IsBroken()) << "usable still, but a session whose command failed is not pooled";
  }
}

TEST_P(ProviderConformance, ProcedureCallFillsOutputParameters) {
  REQUIRE(procedures);
  database_->InstallOutputProcedure();
  Run("SP_CONFORMANCE",
      {{"pIn", DataType::Integer, ParameterDirection::Input, 0, Variant(int32_t{21})},
       {"pNumber", DataType::Integer, ParameterDirection::Output, 0, Variant()},
       {"pText", DataType::VarChar, ParameterDirection::Output, 20, Variant()}},
      CommandType::StoredProcedure);
  EXPECT_EQ(parameters_[1].value, Variant(int32_t{42}));
  EXPECT_EQ(parameters_[2].value, Variant("nº 21"));
}

TEST_P(ProviderConformance, DatesFrom1753To9999TravelBothWays) {
  Run("CREATE TABLE t (ts TIMESTAMP)");
  const DateParts dates[] = {{1753, 1, 1}, {1899, 12, 30}, {1900, 2, 28, 23, 59, 59}, {9999, 12, 31, 23, 59, 59}};
  for (const DateParts& date : dates) Run("INSERT INTO t VALUES (?)", {In(DataType::Date, Variant(MakeDate(date)))});
  const std::vector<ResultSet> results = Run("SELECT ts FROM t ORDER BY ts");
  ASSERT_EQ(results.size(), 1u);
  ASSERT_EQ(results[0].row_count(), std::size(dates));
  for (size_t k = 0; k < std::size(dates); ++k)
    EXPECT_EQ(results[0].cells[k], Variant(MakeDate(dates[k]))) << dates[k].year;
}

// Beyond 8,000 bytes, in a parameter and in a result; the database counts characters, not bytes.
TEST_P(ProviderConformance, LongUtf8TextArrivesWhole) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "çã" + std::to_string(i % 10);
  Run("CREATE TABLE t (x TEXT)");
  Run("INSERT INTO t VALUES (?)", {In(DataType::LongVarChar, Variant(text))});
  EXPECT_EQ(Scalar("SELECT x FROM t"), Variant(text));
  EXPECT_EQ(CLng(Scalar("SELECT LENGTH(x) FROM t")), Len(text));
}

// A failed statement raises with the database's text (and SQLSTATE where there is one). A NUL ends the text for every
// reader of SQL: the whole text is refused at once, before any of it runs. The session serves on.
TEST_P(ProviderConformance, FailedStatementsRaiseAndTheSessionServesOn) {
  Run("CREATE TABLE canary (i INTEGER)");
  const struct { std::string sql; const char* text; } rows[] = {
      {"SELECT * FROM missing_table", "missing_table"}, {"SELEC 1", "SELEC"},
      {std::string("DROP TABLE canary;\0SELECT 1", 28), nullptr},
      {std::string("EXEC Sp_061_Envia_Rel_Din_Email02 'x\0', 1, 't'", 47), nullptr}};
  for (const auto& row : rows) {
    const std::optional<RuntimeError> e = Caught([&] { Run(row.sql); });
    ASSERT_TRUE(e.has_value()) << row.sql;
    if (row.text == nullptr) {
      EXPECT_EQ(e->number(), error::kCommandTextError) << row.sql;
      continue;
    }
    EXPECT_THAT(e->description(), ::testing::HasSubstr(row.text)) << row.sql;
    if (limits().sql_states) {
      EXPECT_EQ(e->sql_state().size(), 5u) << row.sql << ": " << e->sql_state();
    }
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM canary"), Variant(int32_t{0})) << "the table and the session survive";
}

// Commit and rollback as another session sees them; misplaced calls are refused, except a rollback.
TEST_P(ProviderConformance, TransactionsCommitAndRollBack) {
  Run("CREATE TABLE t (i INTEGER)");
  const std::unique_ptr<Provider> other = database_->Open();
  const auto count_seen_by_other = [&] { return CLng(RunScalar(*other, "SELECT COUNT(*) FROM t")); };
  session_->BeginTransaction();
  Run("INSERT INTO t VALUES (1)");
  EXPECT_EQ(count_seen_by_other(), 0) << "before commit";
  session_->CommitTransaction();
  EXPECT_EQ(count_seen_by_other(), 1) << "after commit";
  session_->BeginTransaction();
  Run("INSERT INTO t VALUES (2)");
  EXPECT_THROW(session_->BeginTransaction(), RuntimeError) << "transactions do not nest";
  session_->RollbackTransaction();
  EXPECT_EQ(count_seen_by_other(), 1) << "after rollback";
  EXPECT_NO_THROW(session_->RollbackTransaction()) << "a rollback without a transaction is harmless";
  EXPECT_THROW(session_->CommitTransaction(), RuntimeError) << "a commit without one is refused";
  session_->BeginTransaction();
  Run("INSERT INTO t VALUES (4)");
  session_.reset();
  EXPECT_EQ(count_seen_by_other(), 1) << "closing discards an open transaction";
}

// Through the connection pool: a session closed with its transaction open comes back with the work undone and able to
// begin another, and a session that failed (on a server, dropped mid-query) is never handed out again.
TEST_P(ProviderConformance, PoolHandsOutOnlyCleanSessions) {
  ConnectionPool::Shared().Clear();
  const std::string connection_string = database_->ConnectionString();
  const CallLimits outside = CallLimits::OutsideAnyCall();
  const auto counts = [] { return ConnectionPool::Shared().counts(); };
  const auto count_rows = [&](Connection& connection) {
    Recordset rows;
    rows.Open("SELECT COUNT(*) FROM pooled", connection);
    return CLng(rows.Value(0));
  };
  Run("CREATE TABLE pooled (i INTEGER)");
  {
    Connection connection(connection_string, outside);
    connection.BeginTrans();
    Recordset().Open("INSERT INTO pooled VALUES (1)", connection);
  }
  const ConnectionPool::Counts before = counts();
  {
    Connection connection(connection_string, outside);
    EXPECT_EQ(counts().reused, before.reused + 1) << "the session was kept";
    EXPECT_EQ(count_rows(connection), 0) << "the unfinished insert was undone";
    connection.BeginTrans();
    Recordset().Open("INSERT INTO pooled VALUES (2)", connection);
    connection.CommitTrans();
  }
  EXPECT_EQ(CLng(Scalar("SELECT COUNT(*) FROM pooled")), 1);

  // The server ends a session in the middle of a statement: the statement fails at once, not as a time-out, and the
  // session says it is broken and cannot serve again.
  if (!limits().server) return;
  {
    Connection victim(connection_string, outside);
    const int32_t pid = CLng(RunScalar(victim.provider(), "SELECT pg_backend_pid()"));
    std::thread killer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      Scalar("SELECT pg_terminate_backend(" + std::to_string(pid) + ")");
    });
    const auto started = Clock::now();
    const std::optional<RuntimeError> e = Caught([&] { Recordset().Open(database_->SlowQuery(), victim); });
    killer.join();
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - started).count(), 10.0);
    ASSERT_TRUE(e.has_value()) << "the statement outlived its session";
    EXPECT_NE(e->number(), error::kCommandTimeout) << e->description();
    EXPECT_TRUE(victim.provider().IsBroken()) << e->sql_state() << " " << e->description();
    EXPECT_TRUE(Caught([&] { RunSql(victim.provider(), "SELECT 1"); }).has_value()) << "it cannot serve again";
  }
  const ConnectionPool::Counts after_kill = counts();
  Connection next(connection_string, outside);
  EXPECT_EQ(counts().opened, after_kill.opened + 1) << "the dropped session was not kept";
  EXPECT_EQ(count_rows(next), 1);
}

INSTANTIATE_TEST_SUITE_P(Providers, ProviderConformance, ::testing::ValuesIn(ConformanceProviders()),
                         [](const ::testing::TestParamInfo<ProviderEntry>& info) { return info.param.name; });

}  // namespace
}  // namespace tpl::db::conformance

// Reading what a command returned: which statements give row sets, cell values of each column type, and ODBC timestamps
// to serial dates.
#include "platform/odbc/odbc_result_reader.h"
#include "platform/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

TEST_F(OdbcTest, OnlyStatementsReturningColumnsGiveRowSets) {
  // The driver runs a batch that starts with DDL as a whole.
  EXPECT_TRUE(Run("CREATE TABLE t (i INTEGER); INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)").empty());
  EXPECT_TRUE(Run("UPDATE t SET i = 3 WHERE i = 99").empty());
  EXPECT_TRUE(Run("DELETE FROM t WHERE i = 99").empty());
  const std::vector<ResultSet> none = Run("SELECT i FROM t WHERE i > 5"), two = Run("SELECT i FROM t ORDER BY i");
  ASSERT_TRUE(none.size() == 1 && two.size() == 1);
  EXPECT_EQ(std::pair(none[0].columns.size(), none[0].row_count()), std::pair(size_t{1}, size_t{0}));
  EXPECT_EQ(two[0].cells, (CellStore{Variant(int32_t{1}), Variant(int32_t{2})}));
}

TEST_F(OdbcTest, CellsBecomeVariantsOfTheirColumnType) {
  Run("CREATE TABLE t (i INTEGER, big BIGINT, n NUMERIC(12,2), r REAL, d DATE, ts DATETIME, "
      "s VARCHAR(20), c CHAR(1), b BLOB)");
  Run("INSERT INTO t VALUES (42, 5000000000, 1234.56, 2.5, '2001-10-13', '2001-10-13 10:20:30', "
      "'ação', 'x', x'00FF41')");
  Run("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  const std::vector<ResultSet> results = Run("SELECT * FROM t");
  ASSERT_EQ(results.size(), 1u);
  Date date, timestamp;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13}, date));
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, timestamp));
  const Variant n = Variant::Null();
  EXPECT_EQ(results[0].cells, (CellStore{Variant(int32_t{42}), Variant(5000000000.0), Variant(1234.56), Variant(2.5),
                                         Variant(date), Variant(timestamp), Variant("ação"), Variant("x"),
                                         Variant(std::string("\0\xFF" "A", 3)), n, n, n, n, n, n, n, n, n}));
}

// No serial means the timestamp is refused.
TEST(OdbcDateConversion, TimestampsBecomeSerialDates) {
  const struct { const char* name; SQL_TIMESTAMP_STRUCT timestamp; std::optional<double> serial; } rows[] = {
      {"13/10/2001 10:20", {2001, 10, 13, 10, 20, 0, 0}, 37177 + (10 * 60 + 20) / 1440.0},
      {"day zero", {1899, 12, 30, 0, 0, 0, 0}, 0},
      {"half a second", {1899, 12, 31, 0, 0, 0, 500000000}, 1 + 0.5 / 86400},
      {"before day zero", {1899, 12, 29, 6, 0, 0, 500000000}, -1.25 - 0.5 / 86400},
      {"month 13", {2001, 13, 1, 0, 0, 0, 0}, std::nullopt}, {"hour 25", {2001, 1, 1, 25, 0, 0, 0}, std::nullopt},
      {"31 February", {2001, 2, 31, 0, 0, 0, 0}, std::nullopt},
      {"fraction of a whole second", {2001, 1, 1, 0, 0, 0, 1000000000}, std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<Date> date = DateFromTimestamp(row.timestamp);
    EXPECT_NEAR(date ? date->serial : -1e9, row.serial.value_or(-1e9), 1e-9) << row.name;
  }
}

}  // namespace
}  // namespace tpl::db::odbc

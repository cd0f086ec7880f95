// Reading what a command returned: binary cells, and ODBC timestamps to serial dates.
#include "database/odbc/odbc_result_reader.h"
#include "database/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

// Bytes arrive whole, a NUL among them; cells of the other types: database/conformance.
TEST_F(OdbcTest, BinaryCellsArriveAsTheirBytes) {
  Run("CREATE TABLE t (b BLOB)");
  Run("INSERT INTO t VALUES (x'00FF41')");
  Run("INSERT INTO t VALUES (NULL)");
  const std::vector<ResultSet> results = Run("SELECT b FROM t ORDER BY rowid");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(std::string("\0\xFF" "A", 3)), Variant::Null()}));
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

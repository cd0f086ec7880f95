// ODBC timestamps to serial dates.
#include "platform/odbc/odbc_date_conversion.h"

#include <gtest/gtest.h>

namespace tpl::db::odbc {
namespace {

SQL_TIMESTAMP_STRUCT Timestamp(int year, int month, int day, int hour, int minute, int second,
                               SQLUINTEGER fraction = 0) {
  SQL_TIMESTAMP_STRUCT t{};
  t.year = static_cast<SQLSMALLINT>(year);
  t.month = static_cast<SQLUSMALLINT>(month);
  t.day = static_cast<SQLUSMALLINT>(day);
  t.hour = static_cast<SQLUSMALLINT>(hour);
  t.minute = static_cast<SQLUSMALLINT>(minute);
  t.second = static_cast<SQLUSMALLINT>(second);
  t.fraction = fraction;
  return t;
}

TEST(OdbcDateConversion, TimestampsBecomeSerialDates) {
  struct Row {
    const char* name;
    SQL_TIMESTAMP_STRUCT timestamp;
    double serial;
  };
  const Row accepted[] = {
      {"13/10/2001 10:20", Timestamp(2001, 10, 13, 10, 20, 0), 37177 + (10 * 60 + 20) / 1440.0},
      {"day zero", Timestamp(1899, 12, 30, 0, 0, 0), 0},
      {"half a second", Timestamp(1899, 12, 31, 0, 0, 0, 500000000), 1 + 0.5 / 86400},
      {"before day zero", Timestamp(1899, 12, 29, 6, 0, 0, 500000000), -1.25 - 0.5 / 86400},
  };
  for (const Row& row : accepted) {
    const std::optional<Date> date = DateFromTimestamp(row.timestamp);
    ASSERT_TRUE(date.has_value()) << row.name;
    EXPECT_NEAR(date->serial, row.serial, 1e-9) << row.name;
  }
  const Row refused[] = {{"month 13", Timestamp(2001, 13, 1, 0, 0, 0), 0},
                         {"31 February", Timestamp(2001, 2, 31, 0, 0, 0), 0},
                         {"hour 25", Timestamp(2001, 1, 1, 25, 0, 0), 0},
                         {"fraction of a whole second", Timestamp(2001, 1, 1, 0, 0, 0, 1000000000), 0}};
  for (const Row& row : refused) EXPECT_FALSE(DateFromTimestamp(row.timestamp).has_value()) << row.name;
}

}  // namespace
}  // namespace tpl::db::odbc

#include "platform/odbc/odbc_date_conversion.h"

#include "tpl/datetime.h"

namespace tpl::db::odbc {
namespace {

constexpr double kNanosecondsPerDay = 86400.0 * 1e9;

}  // namespace

std::optional<Date> DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& timestamp) {
  const DateParts parts{timestamp.year, timestamp.month, timestamp.day,
                        timestamp.hour, timestamp.minute, timestamp.second};
  Date date;
  if (timestamp.fraction >= 1000000000u || !TryMakeDate(parts, date)) return std::nullopt;
  // Before day zero the serial is negative but its fraction still counts
  // forward in time from the start of the day, away from zero.
  const double fraction = timestamp.fraction / kNanosecondsPerDay;
  date.serial += date.serial < 0 ? -fraction : fraction;
  return date;
}

std::optional<Date> DateFromTime(const SQL_TIME_STRUCT& time) {
  DateParts parts;
  parts.hour = time.hour;
  parts.minute = time.minute;
  parts.second = time.second;
  Date date;
  if (!TryMakeDate(parts, date)) return std::nullopt;
  return date;
}

SQL_TIMESTAMP_STRUCT TimestampFromDate(Date date) {
  const DateParts parts = SplitDate(date);
  SQL_TIMESTAMP_STRUCT timestamp{};
  timestamp.year = static_cast<SQLSMALLINT>(parts.year);
  timestamp.month = static_cast<SQLUSMALLINT>(parts.month);
  timestamp.day = static_cast<SQLUSMALLINT>(parts.day);
  timestamp.hour = static_cast<SQLUSMALLINT>(parts.hour);
  timestamp.minute = static_cast<SQLUSMALLINT>(parts.minute);
  timestamp.second = static_cast<SQLUSMALLINT>(parts.second);
  return timestamp;
}

SQL_DATE_STRUCT DateStructFromDate(Date date) {
  const DateParts parts = SplitDate(date);
  SQL_DATE_STRUCT result{};
  result.year = static_cast<SQLSMALLINT>(parts.year);
  result.month = static_cast<SQLUSMALLINT>(parts.month);
  result.day = static_cast<SQLUSMALLINT>(parts.day);
  return result;
}

}  // namespace tpl::db::odbc

// Serial dates of the platform: days since 30/12/1899, the fraction being
// the time of day. Before that day the serial is negative while its
// fraction still counts forward from midnight (-1,25 is 29/12/1899 06:00).
#include <algorithm>
#include <cmath>
#include <ctime>

#include "values/date_calendar.h"
#include "values/regional_settings.h"
#include "tpl/datetime.h"

namespace tpl {
namespace detail {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Day number of a civil date counted from 01/03/0000 (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// 30/12/1899 counted from the Unix epoch.
const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

std::string TwoDigits(int value) {
  return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

}  // namespace

bool IsSerialInRange(double serial) { return serial >= kMinSerial && serial <= kMaxSerial; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DayNumber(int year, int month, int day) {
  return DaysFromCivil(year, month, day) - kEpochOffset;
}

int Weekday(const DateParts& parts) {
  // 30/12/1899 was a Saturday.
  const int64_t days = DayNumber(parts.year, parts.month, parts.day);
  return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

std::string DateText(Date date) {
  const DateParts p = SplitDate(date);
  const bool day_zero = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  std::string text;
  if (!day_zero) {
    const std::string year = std::to_string(p.year);
    text = TwoDigits(p.day) + regional::kDateSeparator + TwoDigits(p.month) +
           regional::kDateSeparator + std::string(year.size() < 4 ? 4 - year.size() : 0, '0') +
           year;
  }
  // Day zero at midnight still shows its time, so the text is never empty.
  if (!midnight || day_zero) {
    if (!text.empty()) text += ' ';
    text += TwoDigits(p.hour) + regional::kTimeSeparator + TwoDigits(p.minute) +
            regional::kTimeSeparator + TwoDigits(p.second);
  }
  return text;
}

}  // namespace detail

bool TryMakeDate(const DateParts& parts, Date& out) {
  if (parts.year < 100 || parts.year > 9999 || parts.month < 1 || parts.month > 12 ||
      parts.day < 1 || parts.day > detail::DaysInMonth(parts.year, parts.month) ||
      parts.hour < 0 || parts.hour > 23 || parts.minute < 0 || parts.minute > 59 ||
      parts.second < 0 || parts.second > 59) {
    return false;
  }
  const auto days = static_cast<double>(detail::DayNumber(parts.year, parts.month, parts.day));
  const double time = (parts.hour * 3600 + parts.minute * 60 + parts.second) / 86400.0;
  out.serial = days >= 0 ? days + time : days - time;
  return true;
}

DateParts SplitDate(Date date) {
  DateParts parts;
  if (!std::isfinite(date.serial) || std::fabs(date.serial) > 1e8) return parts;
  const double whole = std::trunc(date.serial);
  // Times are kept to the second; the nearest second wins.
  int64_t seconds = std::llround(std::fabs(date.serial - whole) * detail::kSecondsPerDay);
  int64_t days = static_cast<int64_t>(whole);
  if (seconds >= detail::kSecondsPerDay) {
    seconds -= detail::kSecondsPerDay;
    days += 1;
  }
  detail::CivilFromDays(days + detail::kEpochOffset, parts.year, parts.month, parts.day);
  parts.hour = static_cast<int>(seconds / 3600);
  parts.minute = static_cast<int>(seconds / 60 % 60);
  parts.second = static_cast<int>(seconds % 60);
  return parts;
}

Date Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DateParts parts;
  parts.year = local.tm_year + 1900;
  parts.month = local.tm_mon + 1;
  parts.day = local.tm_mday;
  parts.hour = local.tm_hour;
  parts.minute = local.tm_min;
  parts.second = std::min(local.tm_sec, 59);  // a leap second reads as :59
  Date date;
  TryMakeDate(parts, date);
  return date;
}

}  // namespace tpl

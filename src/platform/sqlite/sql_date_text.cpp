#include "platform/sqlite/sql_date_text.h"

#include <cstdio>
#include <ctime>

namespace tpl::db::sqlite {

std::string SqlDateText(const DateParts& parts) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", parts.year, parts.month, parts.day,
                parts.hour, parts.minute, parts.second);
  return text;
}

std::string SqlDateText(Date date) { return SqlDateText(SplitDate(date)); }

bool TryReadSqlDateText(std::string_view text, Date& out) {
  if (text.size() != 10 && text.size() != 19) return false;
  auto digits = [&](size_t at, size_t count, int& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + (text[i] - '0');
    }
    return true;
  };
  DateParts parts;
  bool separators = (text[4] == '/' || text[4] == '-') && text[7] == text[4];
  if (!separators || !digits(0, 4, parts.year) || !digits(5, 2, parts.month) ||
      !digits(8, 2, parts.day))
    return false;
  if (text.size() == 19 && (text[10] != ' ' || text[13] != ':' || text[16] != ':' ||
                            !digits(11, 2, parts.hour) || !digits(14, 2, parts.minute) ||
                            !digits(17, 2, parts.second)))
    return false;
  return TryMakeDate(parts, out);
}

DateParts LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

bool IsRealDateTime(const DateParts& parts) {
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parts.year < 1 || parts.year > 9999 || parts.month < 1 || parts.month > 12) return false;
  const bool leap = (parts.year % 4 == 0 && parts.year % 100 != 0) || parts.year % 400 == 0;
  const int days = kDaysInMonth[parts.month - 1] + (parts.month == 2 && leap ? 1 : 0);
  return parts.day >= 1 && parts.day <= days && parts.hour >= 0 && parts.hour <= 23 &&
         parts.minute >= 0 && parts.minute <= 59 && parts.second >= 0 && parts.second <= 59;
}

}  // namespace tpl::db::sqlite

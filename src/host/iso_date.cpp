#include "host/iso_date.h"

#include <cstdio>

#include "tpl/datetime.h"

namespace tpl::host {

namespace {

// Reads exactly `width` decimal digits at `position`.
bool ReadDigits(std::string_view text, size_t position, size_t width, int& out) {
  if (position + width > text.size()) return false;
  int value = 0;
  for (size_t i = position; i < position + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  out = value;
  return true;
}

}  // namespace

std::string FormatIsoDate(Date date) {
  const DateParts parts = SplitDate(date);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.year, parts.month,
                parts.day, parts.hour, parts.minute, parts.second);
  return text;
}

bool TryParseIsoDate(std::string_view text, Date& out) {
  constexpr size_t kDateLength = 10;      // yyyy-mm-dd
  constexpr size_t kDateTimeLength = 19;  // yyyy-mm-ddThh:mm:ss
  if (text.size() != kDateLength && text.size() != kDateTimeLength) return false;

  DateParts parts;
  if (!ReadDigits(text, 0, 4, parts.year) || text[4] != '-' ||
      !ReadDigits(text, 5, 2, parts.month) || text[7] != '-' ||
      !ReadDigits(text, 8, 2, parts.day)) {
    return false;
  }
  if (text.size() == kDateTimeLength) {
    if (text[10] != 'T' || !ReadDigits(text, 11, 2, parts.hour) || text[13] != ':' ||
        !ReadDigits(text, 14, 2, parts.minute) || text[16] != ':' ||
        !ReadDigits(text, 17, 2, parts.second)) {
      return false;
    }
  }
  return TryMakeDate(parts, out);
}

}  // namespace tpl::host

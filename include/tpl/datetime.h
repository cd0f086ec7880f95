// Dates and times of the platform: building and splitting serial dates,
// lenient recognition of typed dates, format masks and the current time.
#pragma once

#include <string>
#include <string_view>

#include "tpl/variant.h"

namespace tpl {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// False when the parts do not name a real date and time (31/02, 25:00...)
// or the year is outside 100 to 9999. Before 30/12/1899 the serial is
// negative and its fraction still counts forward from midnight
// (29/12/1899 06:00 is -1.25).
bool TryMakeDate(const DateParts& parts, Date& out);
// The parts of a serial, rounded to the nearest second.
DateParts SplitDate(Date date);

// Lenient recognition, as the platform's date parser under dd/mm/yyyy
// regional settings: dd/mm/yyyy (day and month swapped when only that makes
// sense), yyyy/mm/dd and yyyy-mm-dd, with "/", "-" or "." between parts,
// two-digit years (00-29 are 20xx, 30-99 are 19xx), optionally followed by
// a time hh:mm[:ss] (also "T" as in 2001-10-13T10:20:00, a dropped fraction
// of a second, AM/PM). Also: a time alone (day zero), day and month alone
// (current year), month and year alone (day 1), Portuguese month names
// ("13 de outubro de 2001"). Never a bare number or "1,5". Surrounding
// blanks are ignored. The full rules head src/values/date_recognition.cpp.
bool TryParseDate(std::string_view text, Date& out);

// Formats a value with a date mask of the platform. Tokens, case-insensitive:
// yyyy, yy, mm/m (month, or minutes right after an hour or before seconds),
// dd/d, hh/h (always 24-hour; also hh24), nn/n (minutes), ss/s; also mmm/mmmm
// and ddd/dddd (Portuguese names), AM/PM, and "quoted" or \-escaped literal
// text; other characters are copied.
// "yyyy/mm/dd hh:mm" gives 2001/10/13 10:20 and "yyyyMMddhhmmss" gives
// 20011013102000. The value is converted with CDate.
std::string FormatDate(const Variant& value, std::string_view mask);

// The machine's local date and time, to the second.
Date Now();

}  // namespace tpl

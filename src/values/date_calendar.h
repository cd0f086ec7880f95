// Calendar arithmetic shared by the date routines of this folder.
#pragma once

#include <cstdint>
#include <string>

#include "tpl/datetime.h"

namespace tpl::detail {

// The platform's range of dates: 01/01/100 00:00:00 to 31/12/9999 23:59:59
// (the half second after which a serial would round into another year).
inline constexpr double kMinSerial = -657434.999994213;
inline constexpr double kMaxSerial = 2958465.999994213;
bool IsSerialInRange(double serial);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Day number of a proleptic Gregorian date counted from 30/12/1899.
int64_t DayNumber(int year, int month, int day);

// 0 is Sunday, as the platform counts weekdays from 1 (Sunday) to 7.
int Weekday(const DateParts& parts);

// The regional text of a date: "13/10/2001 10:20:00", "13/10/2001" at
// midnight, "10:20:00" on day zero (30/12/1899).
std::string DateText(Date date);

}  // namespace tpl::detail

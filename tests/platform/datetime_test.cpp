// Serial dates, lenient date recognition and date masks.
#include <gtest/gtest.h>

#include <cmath>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

Date MakeDate(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  Date out;
  EXPECT_TRUE(TryMakeDate({y, mo, d, h, mi, s}, out)) << y << "-" << mo << "-" << d;
  return out;
}

void ExpectParts(const DateParts& p, int y, int mo, int d, int h, int mi, int s) {
  EXPECT_EQ(p.year, y);
  EXPECT_EQ(p.month, mo);
  EXPECT_EQ(p.day, d);
  EXPECT_EQ(p.hour, h);
  EXPECT_EQ(p.minute, mi);
  EXPECT_EQ(p.second, s);
}

TEST(SerialDateTest, KnownSerials) {
  const struct {
    DateParts parts;
    double serial;
  } rows[] = {
      {{1899, 12, 30}, 0},
      {{1899, 12, 31}, 1},
      {{1899, 12, 29}, -1},
      {{1900, 1, 1}, 2},
      {{1900, 2, 28}, 60},
      {{1900, 3, 1}, 61},  // 1900 is not a leap year
      {{2000, 2, 29}, 36585},
      {{2000, 3, 1}, 36586},
      {{2001, 10, 13}, 37177},
      {{100, 1, 1}, -657434},
      {{9999, 12, 31}, 2958465},
      {{1899, 12, 29, 6, 0, 0}, -1.25},
      {{1899, 12, 30, 12, 0, 0}, 0.5},
      {{1800, 1, 1, 18, 0, 0}, -36522.75},
  };
  for (const auto& row : rows) {
    Date d;
    ASSERT_TRUE(TryMakeDate(row.parts, d)) << row.serial;
    EXPECT_DOUBLE_EQ(d.serial, row.serial);
    const DateParts back = SplitDate(d);
    ExpectParts(back, row.parts.year, row.parts.month, row.parts.day, row.parts.hour,
                row.parts.minute, row.parts.second);
  }
  EXPECT_NEAR(MakeDate(2001, 10, 13, 10, 20).serial, 37177.430555555555, 1e-9);
}

TEST(SerialDateTest, RoundTripEveryDayAroundTheEpochAndLeapYears) {
  for (const int year : {1896, 1899, 1900, 1904, 2000, 2001, 2100}) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 31; ++day) {
        Date d;
        if (!TryMakeDate({year, month, day, 23, 59, 59}, d)) continue;
        const DateParts p = SplitDate(d);
        ExpectParts(p, year, month, day, 23, 59, 59);
      }
    }
  }
}

TEST(SerialDateTest, NegativeSerialsKeepAPositiveTime) {
  ExpectParts(SplitDate(Date{-1.25}), 1899, 12, 29, 6, 0, 0);
  ExpectParts(SplitDate(Date{-0.5}), 1899, 12, 30, 12, 0, 0);
  ExpectParts(SplitDate(Date{-2.75}), 1899, 12, 28, 18, 0, 0);
}

TEST(SerialDateTest, SplitRoundsToTheNearestSecond) {
  ExpectParts(SplitDate(Date{0.99999999}), 1899, 12, 31, 0, 0, 0);
  ExpectParts(SplitDate(Date{37177 + 10.0 / 86400 - 1e-9}), 2001, 10, 13, 0, 0, 10);
}

TEST(SerialDateTest, RefusedParts) {
  const DateParts rows[] = {
      {2001, 2, 29}, {2000, 2, 30}, {1900, 2, 29}, {2001, 13, 1}, {2001, 0, 1},
      {2001, 1, 0},  {2001, 4, 31}, {99, 1, 1},    {10000, 1, 1}, {2001, 1, 1, 24, 0, 0},
      {2001, 1, 1, 0, 60, 0},       {2001, 1, 1, 0, 0, 60},       {2001, 1, 1, -1, 0, 0},
  };
  for (const DateParts& p : rows) {
    Date d;
    EXPECT_FALSE(TryMakeDate(p, d)) << p.year << "-" << p.month << "-" << p.day << " " << p.hour;
  }
  Date d;
  EXPECT_TRUE(TryMakeDate({2000, 2, 29}, d));
  EXPECT_TRUE(TryMakeDate({2004, 2, 29}, d));
}

TEST(DateRecognitionTest, Accepted) {
  const struct {
    const char* text;
    DateParts parts;
  } rows[] = {
      {"13/10/2001", {2001, 10, 13}},
      {"1/2/2001", {2001, 2, 1}},
      {"01/02/2001", {2001, 2, 1}},
      {"13-10-2001", {2001, 10, 13}},
      {"13.10.2001", {2001, 10, 13}},
      {"2001/10/13", {2001, 10, 13}},
      {"2001-10-13", {2001, 10, 13}},
      {"2001.10.13", {2001, 10, 13}},
      {"2001-10-13T10:20:00", {2001, 10, 13, 10, 20, 0}},
      {"13/10/01", {2001, 10, 13}},
      {"13/10/29", {2029, 10, 13}},
      {"13/10/30", {1930, 10, 13}},
      {"13/10/99", {1999, 10, 13}},
      {"1/1/00", {2000, 1, 1}},
      {"10/13/2001", {2001, 10, 13}},  // day and month swapped
      {"12/11/2001", {2001, 11, 12}},  // day first when both can be months
      {"2001/13/10", {2001, 10, 13}},
      {"13/10/2001 10:20", {2001, 10, 13, 10, 20, 0}},
      {"13/10/2001 10:20:30", {2001, 10, 13, 10, 20, 30}},
      {"13/10/2001  1:2:3", {2001, 10, 13, 1, 2, 3}},
      {"10:20 13/10/2001", {2001, 10, 13, 10, 20, 0}},
      {"  13/10/2001  ", {2001, 10, 13}},
      {"10:20", {1899, 12, 30, 10, 20, 0}},
      {"10:20:30", {1899, 12, 30, 10, 20, 30}},
      {"0:00", {1899, 12, 30, 0, 0, 0}},
      {"10:20 PM", {1899, 12, 30, 22, 20, 0}},
      {"12:05 am", {1899, 12, 30, 0, 5, 0}},
      {"29/02/2000", {2000, 2, 29}},
      {"01/01/100", {100, 1, 1}},
      {"31/12/9999", {9999, 12, 31}},
      {"13 out 2001", {2001, 10, 13}},
      {"13-Out-2001", {2001, 10, 13}},
      {"13 de outubro de 2001", {2001, 10, 13}},
      {"13 MARÇO 2001", {2001, 3, 13}},
      {"13 marco 2001", {2001, 3, 13}},
      {"outubro 13, 2001", {2001, 10, 13}},
      {"outubro 2001", {2001, 10, 1}},
      {"10/2001", {2001, 10, 1}},
      {"2001/10", {2001, 10, 1}},
      {"13 / 10 / 2001", {2001, 10, 13}},
      {"13 10 2001", {2001, 10, 13}},
      {"99/12/31", {1999, 12, 31}},
      {"2001-10-13 10:20:30.999", {2001, 10, 13, 10, 20, 30}},
      {"2001-10-13T10:20:30.123456", {2001, 10, 13, 10, 20, 30}},
  };
  for (const auto& row : rows) {
    Date d;
    ASSERT_TRUE(TryParseDate(row.text, d)) << row.text;
    Date expected;
    ASSERT_TRUE(TryMakeDate(row.parts, expected)) << row.text;
    EXPECT_DOUBLE_EQ(d.serial, expected.serial) << row.text;
    EXPECT_TRUE(IsDate(Variant(row.text))) << row.text;
  }
}

TEST(DateRecognitionTest, DayAndMonthWithoutYearTakeTheCurrentYear) {
  const int year = SplitDate(Now()).year;
  Date d;
  ASSERT_TRUE(TryParseDate("13/10", d));
  ExpectParts(SplitDate(d), year, 10, 13, 0, 0, 0);
  ASSERT_TRUE(TryParseDate("13 out", d));
  ExpectParts(SplitDate(d), year, 10, 13, 0, 0, 0);
}

TEST(DateRecognitionTest, Refused) {
  const char* rows[] = {
      "",           "   ",         "abc",          "31/02/2001",   "32/13/2001",
      "29/02/2001", "29/02/1900",  "13/13/2001",   "0/10/2001",    "13/0/2001",
      "13/10/2001/", "/13/10/2001", "13//10/2001", "13/10/2001 25:00", "13/10/2001 10:60",
      "13/10/2001 10:20:60", "37177", "1,5",       "13/10/2001 abc", "13/10/2001x",
      "2001/10/13/1", "1/2/3/4", "1,5,2001", "13,10,2001",   "13/10/12345",  "10:20 PM PM",  "13:00 PM",
      "01/01/0099", "31/12/10000", "13 xyz 2001",  "13 out nov 2001", "2001-10-13T",
      "13/10/2001 10", "10:", ":20", "13/10/2001 10:20:30:40", "13\xff/10/2001",
      "1/10/2001 10:20 11:30", "2001-10-13 10:20.5", "13/10/2001 10:20:30.",
      "13/10/12001", "1234567",
  };
  for (const char* text : rows) {
    Date d;
    EXPECT_FALSE(TryParseDate(text, d)) << text;
    EXPECT_FALSE(IsDate(Variant(text))) << text;
  }
}

TEST(FormatDateTest, Masks) {
  const Variant when(MakeDate(2001, 10, 13, 10, 20, 5));
  const struct {
    const char* mask;
    const char* text;
  } rows[] = {
      {"yyyy/mm/dd hh:mm", "2001/10/13 10:20"},
      {"yyyyMMddhhmmss", "20011013102005"},
      {"YYYY/MM/DD hh:mm:ss", "2001/10/13 10:20:05"},
      {"dd/mm/yyyy", "13/10/2001"},
      {"hh24:nn:ss", "10:20:05"},
      {"dd/mm/yy", "13/10/01"},
      {"d/m/yyyy", "13/10/2001"},
      {"h:n:s", "10:20:5"},
      {"hh:nn", "10:20"},
      {"mm:ss", "20:05"},
      {"hh\"h\"nn", "10h20"},
      {"dd\\m", "13m"},
      {"yyyy-mm-ddThh:nn:ss", "2001-10-13T10:20:05"},
      {"dddd, d \"de\" mmmm \"de\" yyyy", "sábado, 13 de outubro de 2001"},
      {"ddd dd/mmm", "sáb 13/out"},
      {"ddddd", "13/10/2001"},
      {"hh:nn AM/PM", "10:20 AM"},
      {"w q y", "7 4 286"},
      {"c", "13/10/2001 10:20:05"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatDate(when, row.mask), row.text) << row.mask;
}

TEST(FormatDateTest, HoursAreTwentyFourHourUnlessAskedOtherwise) {
  const Variant evening(MakeDate(2001, 3, 5, 22, 7, 0));
  EXPECT_EQ(FormatDate(evening, "hh:mm"), "22:07");
  EXPECT_EQ(FormatDate(evening, "hh24:mm"), "22:07");
  EXPECT_EQ(FormatDate(evening, "h:mm am/pm"), "10:07 pm");
  EXPECT_EQ(FormatDate(evening, "d/m/yyyy"), "5/3/2001");
  EXPECT_EQ(FormatDate(Variant(MakeDate(2001, 3, 5, 0, 7, 0)), "hh:nn A/P"), "12:07 A");
}

TEST(FormatDateTest, ConvertsItsValueWithCDate) {
  EXPECT_EQ(FormatDate(Variant("13/10/2001 10:20"), "yyyy/mm/dd hh:mm"), "2001/10/13 10:20");
  EXPECT_EQ(FormatDate(Variant(37177), "yyyymmdd"), "20011013");
  EXPECT_EQ(FormatDate(Variant(), "dd/mm/yyyy"), "30/12/1899");
  EXPECT_EQ(FormatDate(Variant(MakeDate(100, 1, 2)), "yyyy/mm/dd"), "0100/01/02");
  EXPECT_EQ(ErrorNumber([] { FormatDate(Variant("abc"), "yyyy"); }), 13);
  EXPECT_EQ(ErrorNumber([] { FormatDate(Variant::Null(), "yyyy"); }), 94);
}

TEST(NowTest, IsTodayToTheSecond) {
  const Date now = Now();
  const double seconds = now.serial * 86400;
  EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
  const DateParts p = SplitDate(now);
  EXPECT_GE(p.year, 2024);
}

}  // namespace
}  // namespace tpl

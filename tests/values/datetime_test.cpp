// Serial dates, lenient date recognition and date masks.
#include <gtest/gtest.h>

#include <tuple>

#include "error_number.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using platform_test::ErrorNumber;

Date MakeDate(const DateParts& p) {
  Date out;
  EXPECT_TRUE(TryMakeDate(p, out)) << p.year << "-" << p.month << "-" << p.day;
  return out;
}

void ExpectParts(const DateParts& p, const DateParts& q) {
  EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second),
            std::tie(q.year, q.month, q.day, q.hour, q.minute, q.second));
}

TEST(SerialDateTest, KnownSerialsBothWaysAndRefusedParts) {
  const struct { DateParts parts; double serial; } rows[] = {
      {{1899, 12, 30}, 0}, {{1899, 12, 29}, -1}, {{1900, 2, 28}, 60},
      {{1900, 3, 1}, 61},  // 1900 is not a leap year
      {{2000, 2, 29}, 36585}, {{2001, 10, 13}, 37177}, {{100, 1, 1}, -657434}, {{9999, 12, 31}, 2958465},
      {{1899, 12, 29, 6, 0, 0}, -1.25}, {{1800, 1, 1, 18, 0, 0}, -36522.75},
  };
  for (const auto& row : rows) {
    EXPECT_DOUBLE_EQ(MakeDate(row.parts).serial, row.serial);
    ExpectParts(SplitDate(Date{row.serial}), row.parts);
  }
  EXPECT_NEAR(MakeDate({2001, 10, 13, 10, 20}).serial, 37177.430555555555, 1e-9);
  const DateParts refused[] = {
      {2001, 2, 29}, {2000, 2, 30}, {1900, 2, 29}, {2001, 13, 1}, {2001, 0, 1}, {2001, 1, 0}, {2001, 4, 31},
      {99, 1, 1}, {10000, 1, 1}, {2001, 1, 1, 24, 0, 0}, {2001, 1, 1, 0, 60, 0}, {2001, 1, 1, 0, 0, 60},
      {2001, 1, 1, -1, 0, 0},
  };
  Date d;
  for (const DateParts& p : refused) EXPECT_FALSE(TryMakeDate(p, d)) << p.year << "-" << p.month << "-" << p.day;
  // Negative serials keep a positive time; splitting rounds to the nearest second.
  const std::pair<double, DateParts> split[] = {
      {-0.5, {1899, 12, 30, 12, 0, 0}}, {-2.75, {1899, 12, 28, 18, 0, 0}}, {0.99999999, {1899, 12, 31}},
      {37177 + 10.0 / 86400 - 1e-9, {2001, 10, 13, 0, 0, 10}}};
  for (const auto& [serial, parts] : split) ExpectParts(SplitDate(Date{serial}), parts);
}

TEST(DateRecognitionTest, Accepted) {
  const struct { const char* text; DateParts parts; } rows[] = {
      {"1/2/2001", {2001, 2, 1}}, {"2001.10.13", {2001, 10, 13}}, {"13/10/29", {2029, 10, 13}},
      {"13/10/30", {1930, 10, 13}}, {"99/12/31", {1999, 12, 31}},
      {"10/13/2001", {2001, 10, 13}},  // day and month swapped
      {"12/11/2001", {2001, 11, 12}},  // day first when both can be months
      {"2001/13/10", {2001, 10, 13}}, {"10:20 13/10/2001", {2001, 10, 13, 10, 20, 0}},
      {"  13/10/2001  1:2:3", {2001, 10, 13, 1, 2, 3}}, {"10:20 PM", {1899, 12, 30, 22, 20, 0}},
      {"12:05 am", {1899, 12, 30, 0, 5, 0}}, {"01/01/100", {100, 1, 1}}, {"31/12/9999", {9999, 12, 31}},
      {"13 de outubro de 2001", {2001, 10, 13}}, {"13-MARÇO-2001", {2001, 3, 13}}, {"13 marco 2001", {2001, 3, 13}},
      {"outubro 13, 2001", {2001, 10, 13}}, {"10/2001", {2001, 10, 1}}, {"13 / 10 / 2001", {2001, 10, 13}},
      {"2001-10-13T10:20:30.123456", {2001, 10, 13, 10, 20, 30}},
  };
  for (const auto& row : rows) {
    Date d;
    ASSERT_TRUE(TryParseDate(row.text, d)) << row.text;
    EXPECT_DOUBLE_EQ(d.serial, MakeDate(row.parts).serial) << row.text;
    EXPECT_TRUE(IsDate(Variant(row.text))) << row.text;
  }
}

TEST(DateRecognitionTest, DayAndMonthWithoutYearTakeTheCurrentYear) {
  const int year = SplitDate(Now()).year;
  for (const char* text : {"13/10", "13 out"}) {
    Date d;
    ASSERT_TRUE(TryParseDate(text, d)) << text;
    ExpectParts(SplitDate(d), {year, 10, 13});
  }
}

TEST(DateRecognitionTest, Refused) {
  const char* rows[] = {
      "", "29/02/1900", "13/13/2001", "13/10/2001/", "13//10/2001", "13/10/2001 10:20:60", "37177", "1,5",
      "13/10/2001x", "1/2/3/4", "10:20 PM PM", "13:00 PM", "01/01/0099", "31/12/10000", "13 xyz 2001",
      "13 out nov 2001", "2001-10-13T", "13/10/2001 10", ":20", "13\xff/10/2001", "1/10/2001 10:20 11:30",
  };
  for (const char* text : rows) {
    Date d;
    EXPECT_FALSE(TryParseDate(text, d)) << text;
    EXPECT_FALSE(IsDate(Variant(text))) << text;
  }
}

// Hours are 24-hour unless AM/PM is asked for; values that are no date go through CDate.
TEST(FormatDateTest, Masks) {
  const Variant when(MakeDate({2001, 10, 13, 10, 20, 5})), evening(MakeDate({2001, 3, 5, 22, 7, 0}));
  const struct { Variant value; const char* mask; const char* text; } rows[] = {
      {when, "YYYY/MM/DD hh:mm:ss", "2001/10/13 10:20:05"}, {when, "hh24:nn:ss", "10:20:05"}, {when, "mm:ss", "20:05"},
      {when, "hh\"h\"nn", "10h20"}, {when, "dd\\m", "13m"}, {when, "", ""}, {evening, "hh:mm", "22:07"},
      {when, "dddd, d \"de\" mmmm \"de\" yyyy", "sábado, 13 de outubro de 2001"},
      {evening, "h:mm am/pm", "10:07 pm"}, {evening, "d/m/yy", "5/3/01"},
      {Variant("13/10/2001 10:20"), "yyyy/mm/dd hh:mm", "2001/10/13 10:20"},
      {Variant(37177), "yyyymmdd", "20011013"}, {Variant(), "dd/mm/yyyy", "30/12/1899"},
      {Variant(MakeDate({100, 1, 2})), "yyyy/mm/dd", "0100/01/02"},
  };
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(FormatDate(rows[i].value, rows[i].mask), rows[i].text) << "row " << i << ": " << rows[i].mask;
  EXPECT_EQ(ErrorNumber([] { FormatDate(Variant("abc"), "yyyy"); }), 13);
  EXPECT_EQ(ErrorNumber([] { FormatDate(Variant::Null(), "yyyy"); }), 94);
}

}  // namespace
}  // namespace tpl

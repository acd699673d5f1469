#include "driver/odbc/convert/datetime_calendar.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTimeCalendar, Dates) {
  struct Case {
    int16_t year;
    uint8_t month;
    uint8_t day;
    bool valid;
  };
  const Case cases[] = {
      {2024, 2, 29, true},
      {2023, 2, 29, false},
      {1900, 2, 29, false},
      {2000, 2, 29, true},
      {2024, 4, 30, true},
      {2024, 4, 31, false},
      {2024, 12, 31, true},
      {2024, 13, 1, false},
      {9999, 12, 31, true},
      {10000, 1, 1, false},
      {32767, 1, 1, false},
      {2024, 1, 0, true},
      // A left-out month holds no days, in leap years as in others.
      {2024, 0, 0, true},
      {2023, 0, 0, true},
      {2024, 0, 1, false},
      {2024, 0, 31, false},
      {2023, 0, 31, false},
      {-1, 1, 1, true},
  };
  for (const Case& c : cases) {
    CompactDate date = {static_cast<uint16_t>(c.year), c.month, c.day};
    EXPECT_EQ(IsValidDate(date), c.valid) << c.year << "-" << int{c.month} << "-" << int{c.day};
    CompactTimestamp timestamp = {static_cast<uint16_t>(c.year), c.month, c.day, 0, 0, 0, 0, 0};
    EXPECT_EQ(IsValidTimestamp(timestamp), c.valid) << c.year;
  }
}

TEST(DateTimeCalendar, TimesAndFractions) {
  EXPECT_TRUE(IsValidTime(CompactTime{25, 61, 61}));
  EXPECT_TRUE(IsValidTime(CompactTime{255, 255, 255}));
  struct Case {
    uint32_t fraction;
    bool valid;
  };
  const Case cases[] = {{0, true}, {999999999, true}, {1000000000, false}, {UINT32_MAX, false}};
  for (const Case& c : cases) {
    CompactTimestamp timestamp = {2024, 1, 2, 25, 61, 61, 0, c.fraction};
    EXPECT_EQ(IsValidTimestamp(timestamp), c.valid) << c.fraction;
  }
}

TEST(DateTimeCalendar, LeapYears) {
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
}

}  // namespace

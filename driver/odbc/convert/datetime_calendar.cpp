#include "driver/odbc/convert/datetime_calendar.h"

#include <ctime>

namespace {

constexpr uint32_t kFractionLimit = 1000000000;

// Days of each month, common year first; index 0 is the month a literal
// left out, which has no days.
constexpr uint8_t kDaysInMonth[2][13] = {
    {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

bool IsValidDay(uint16_t year_bits, uint8_t month, uint8_t day) {
  int32_t year = static_cast<int16_t>(year_bits);
  if (year > 9999 || month > 12) return false;
  return day <= kDaysInMonth[IsLeapYear(year) ? 1 : 0][month];
}

}  // namespace

bool IsLeapYear(int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidDate(const CompactDate& date) {
  return IsValidDay(date.year, date.month, date.day);
}

bool IsValidDate(const CompactTimestamp& timestamp) {
  return IsValidDay(timestamp.year, timestamp.month, timestamp.day);
}

bool IsValidTime(const CompactTime&) {
  return true;
}

bool IsValidTime(const CompactTimestamp&) {
  return true;
}

bool IsValidTimestamp(const CompactTimestamp& timestamp) {
  return IsValidTime(timestamp) && IsValidDate(timestamp) && timestamp.fraction < kFractionLimit;
}

void CurrentDate(CompactTimestamp* timestamp) {
  std::time_t now = std::time(nullptr);
  std::tm local = {};
  localtime_r(&now, &local);
  timestamp->year = static_cast<uint16_t>(local.tm_year + 1900);
  timestamp->month = static_cast<uint8_t>(local.tm_mon + 1);
  timestamp->day = static_cast<uint8_t>(local.tm_mday);
}

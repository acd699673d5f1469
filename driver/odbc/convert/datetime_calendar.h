// The calendar rules the date and time conversions and the literal parser
// share, and today's date for the conversions that need one.
#pragma once

#include "driver/odbc/convert/conv_types.h"

// Divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(int32_t year);
// The year (read as a signed 16-bit value) at most 9999, the month at most
// 12 and the day within its month. Month 0 and day 0 stand for fields a
// literal left out ("2024-" is a date), so they pass; month 0 admits only
// day 0.
bool IsValidDate(const CompactDate& date);
bool IsValidDate(const CompactTimestamp& timestamp);
// Every time passes: hours, minutes and seconds are not checked.
bool IsValidTime(const CompactTime& time);
bool IsValidTime(const CompactTimestamp& timestamp);
// A valid date and time and a fraction below one second.
bool IsValidTimestamp(const CompactTimestamp& timestamp);
// Year, month and day of the local time now into the timestamp.
void CurrentDate(CompactTimestamp* timestamp);

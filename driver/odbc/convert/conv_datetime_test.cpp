// Dates, times and timestamps through the dispatcher and the default
// tables, in every direction the matrix allows.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>

#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/convert/datetime_calendar.h"
#include "testing/conv_test_support.h"

namespace {

constexpr int32_t kNts = -3;
// Filled into targets first, so a missing NUL or an overrun shows.
constexpr unsigned char kFill = 0xEE;

using ConvDateTimeTest = ConvRoutineTest;

// A text target of `length` bytes inside a filled buffer; what was written
// up to the first NUL, and whether anything past `length` was touched.
struct TextTarget {
  explicit TextTarget(int32_t length) : length(length) { std::memset(bytes, kFill, sizeof bytes); }
  std::string Text() const {
    const void* end = std::memchr(bytes, '\0', static_cast<size_t>(length));
    if (end == nullptr) return "<unterminated>";
    return std::string(bytes, static_cast<const char*>(end));
  }
  bool Untouched() const {
    for (size_t i = 0; i < static_cast<size_t>(length); ++i) {
      if (static_cast<unsigned char>(bytes[i]) != kFill) return false;
    }
    return true;
  }
  bool OverrunFree() const {
    for (size_t i = static_cast<size_t>(length); i < sizeof bytes; ++i) {
      if (static_cast<unsigned char>(bytes[i]) != kFill) return false;
    }
    return true;
  }
  int32_t length;
  char bytes[64];
};

TIMESTAMP_STRUCT Ts(int year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0,
                    unsigned second = 0, unsigned fraction = 0) {
  TIMESTAMP_STRUCT value;
  value.year = static_cast<SQLSMALLINT>(year);
  value.month = static_cast<SQLUSMALLINT>(month);
  value.day = static_cast<SQLUSMALLINT>(day);
  value.hour = static_cast<SQLUSMALLINT>(hour);
  value.minute = static_cast<SQLUSMALLINT>(minute);
  value.second = static_cast<SQLUSMALLINT>(second);
  value.fraction = fraction;
  return value;
}

std::string Describe(const TIMESTAMP_STRUCT& t) {
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
         " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
         std::to_string(t.second) + "." + std::to_string(t.fraction);
}

bool IsToday(const TIMESTAMP_STRUCT& t) {
  CompactTimestamp today = {};
  CurrentDate(&today);
  return t.year == today.year && t.month == today.month && t.day == today.day;
}

TEST_F(ConvDateTimeTest, ToText) {
  struct Case {
    int16_t type;
    TIMESTAMP_STRUCT value;  // the date or time fields are taken from it
    int32_t length;
    int32_t precision;
    int16_t scale;
    int32_t result;
    std::string text;  // empty when nothing is written
    int32_t out_length;
  };
  const Case cases[] = {
      // Dates need the text and its NUL.
      {SQL_C_DATE, Ts(2024, 2, 29), 11, 0, 0, kConvOk, "2024-02-29", 10},
      {SQL_C_DATE, Ts(2024, 2, 29), 10, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_DATE, Ts(2024, 2, 29), 1, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_DATE, Ts(2024, 2, 29), 0, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_DATE, Ts(9999, 12, 31), 11, 0, 0, kConvOk, "9999-12-31", 10},
      {SQL_C_DATE, Ts(2023, 2, 29), 11, 0, 0, kConvInvalidDateTime, "", 0},
      {SQL_C_DATE, Ts(10000, 1, 1), 12, 0, 0, kConvInvalidDateTime, "", 0},
      {SQL_C_DATE, Ts(2024, 13, 1), 11, 0, 0, kConvInvalidDateTime, "", 0},
      {SQL_C_DATE, Ts(2024, 0, 31), 11, 0, 0, kConvInvalidDateTime, "", 0},
      // Times are never refused; a three-digit field needs a byte more.
      {SQL_C_TIME, Ts(0, 0, 0, 12, 30, 45), 9, 0, 0, kConvOk, "12:30:45", 8},
      {SQL_C_TIME, Ts(0, 0, 0, 12, 30, 45), 8, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_TIME, Ts(0, 0, 0, 12, 30, 45), 0, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_TIME, Ts(0, 0, 0, 25, 61, 61), 9, 0, 0, kConvOk, "25:61:61", 8},
      {SQL_C_TIME, Ts(0, 0, 0, 100, 0, 0), 9, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_TIME, Ts(0, 0, 0, 100, 0, 0), 10, 0, 0, kConvOk, "100:00:00", 9},
      // Timestamps without a fraction stop at the seconds.
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 0), 20, 0, 0, kConvOk, "2024-02-29 10:11:12",
       19},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 0), 19, 0, 0, kConvTruncated,
       "2024-02-29 10:11:1", 19},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 0), 18, 0, 0, kConvOutOfRange, "", 0},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 0), 0, 0, 0, kConvOutOfRange, "", 0},
      // With a fraction the whole text is written.
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 30, 0, 0, kConvOk,
       "2024-02-29 10:11:12.000005000", 29},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 29, 0, 0, kConvTruncated,
       "2024-02-29 10:11:12.00000500", 29},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 20, 0, 0, kConvTruncated,
       "2024-02-29 10:11:12", 29},
      // A precision gives the length of a text with a fraction.
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 24, 23, 0, kConvOk,
       "2024-02-29 10:11:12.000", 23},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 23, 23, 0, kConvTruncated,
       "2024-02-29 10:11:12.00", 23},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 22, 23, 0, kConvOutOfRange, "", 0},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 0), 23, 23, 0, kConvOk, "2024-02-29 10:11:12",
       19},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 1, 1, 0, kConvTruncated, "", 1},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 40, -5, 0, kConvOk,
       "2024-02-29 10:11:12.000005000", 29},
      // A scale lengthens it by the point and that many digits.
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 0), 24, 0, 3, kConvOk,
       "2024-02-29 10:11:12.000", 23},
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 5000), 40, 0, 3, kConvOk,
       "2024-02-29 10:11:12.000005000", 29},
      // Invalid timestamps.
      {SQL_C_TIMESTAMP, Ts(2024, 2, 29, 10, 11, 12, 1000000000), 40, 0, 0, kConvInvalidDateTime, "",
       0},
      {SQL_C_TIMESTAMP, Ts(2023, 2, 29, 10, 11, 12, 0), 40, 0, 0, kConvInvalidDateTime, "", 0},
      {SQL_C_TIMESTAMP, Ts(2024, 0, 31, 0, 0, 0, 0), 40, 0, 0, kConvInvalidDateTime, "", 0},
  };
  for (const Case& c : cases) {
    DATE_STRUCT date = {c.value.year, c.value.month, c.value.day};
    TIME_STRUCT time = {c.value.hour, c.value.minute, c.value.second};
    const void* source = &c.value;
    if (c.type == SQL_C_DATE) source = &date;
    if (c.type == SQL_C_TIME) source = &time;
    TextTarget target(c.length);
    int32_t out_length = 0;
    std::string label = Describe(c.value) + " into " + std::to_string(c.length) + "/" +
                        std::to_string(c.precision) + "/" + std::to_string(c.scale);
    EXPECT_EQ(ConvertValueEntry(source, c.type, 0, 0, target.bytes, SQL_C_CHAR, c.length,
                                c.precision, c.scale, &out_length),
              c.result)
        << label;
    if (c.result == kConvOk || c.result == kConvTruncated) {
      if (c.length > 0) {
        EXPECT_EQ(target.Text(), c.text) << label;
      }
      EXPECT_EQ(out_length, c.out_length) << label;
    } else {
      EXPECT_TRUE(target.Untouched()) << label;
    }
    EXPECT_TRUE(target.OverrunFree()) << label;
  }
}

TEST_F(ConvDateTimeTest, BetweenDatesTimesAndTimestamps) {
  constexpr bool kToday = true;
  struct Case {
    int16_t from;
    TIMESTAMP_STRUCT value;
    int16_t to;
    int32_t result;
    TIMESTAMP_STRUCT expected;  // the fields the target type has
    bool today = false;         // the target's date is today's
  };
  const Case cases[] = {
      {SQL_C_DATE, Ts(2024, 2, 29), SQL_C_DATE, kConvOk, Ts(2024, 2, 29)},
      {SQL_C_DATE, Ts(2023, 2, 29), SQL_C_DATE, kConvInvalidDateTime, {}},
      {SQL_C_DATE, Ts(2024, 2, 29), SQL_C_TIMESTAMP, kConvOk, Ts(2024, 2, 29, 0, 0, 0, 0)},
      {SQL_C_DATE, Ts(2024, 0, 31), SQL_C_TIMESTAMP, kConvInvalidDateTime, {}},
      {SQL_C_DATE, Ts(2024, 2, 29), SQL_C_TIME, kConvUnsupported, {}},
      {SQL_C_TIME, Ts(0, 0, 0, 12, 30, 45), SQL_C_TIME, kConvOk, Ts(0, 0, 0, 12, 30, 45)},
      {SQL_C_TIME, Ts(0, 0, 0, 25, 61, 61), SQL_C_TIME, kConvOk, Ts(0, 0, 0, 25, 61, 61)},
      {SQL_C_TIME, Ts(0, 0, 0, 12, 30, 45), SQL_C_TIMESTAMP, kConvOk, Ts(0, 0, 0, 12, 30, 45, 0),
       kToday},
      {SQL_C_TIME, Ts(0, 0, 0, 12, 30, 45), SQL_C_DATE, kConvUnsupported, {}},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 3, 4, 5, 6), SQL_C_TIMESTAMP, kConvOk,
       Ts(2024, 1, 2, 3, 4, 5, 6)},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 3, 4, 5, 999999999), SQL_C_TIMESTAMP, kConvOk,
       Ts(2024, 1, 2, 3, 4, 5, 999999999)},
      {SQL_C_TIMESTAMP,
       Ts(2024, 1, 2, 3, 4, 5, 1000000000),
       SQL_C_TIMESTAMP,
       kConvInvalidDateTime,
       {}},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 3, 4, 5, 0), SQL_C_DATE, kConvTruncated, Ts(2024, 1, 2)},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 0, 0, 0, 1), SQL_C_DATE, kConvTruncated, Ts(2024, 1, 2)},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 0, 0, 0, 0), SQL_C_DATE, kConvOk, Ts(2024, 1, 2)},
      {SQL_C_TIMESTAMP, Ts(2023, 2, 29, 0, 0, 0, 0), SQL_C_DATE, kConvInvalidDateTime, {}},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 3, 4, 5, 0), SQL_C_TIME, kConvOk, Ts(0, 0, 0, 3, 4, 5)},
      {SQL_C_TIMESTAMP, Ts(2024, 1, 2, 3, 4, 5, 7), SQL_C_TIME, kConvTruncated,
       Ts(0, 0, 0, 3, 4, 5)},
      {SQL_C_TIMESTAMP, Ts(2024, 13, 2, 3, 4, 5, 0), SQL_C_TIME, kConvInvalidDateTime, {}},
  };
  for (const Case& c : cases) {
    DATE_STRUCT date = {c.value.year, c.value.month, c.value.day};
    TIME_STRUCT time = {c.value.hour, c.value.minute, c.value.second};
    const void* source = &c.value;
    if (c.from == SQL_C_DATE) source = &date;
    if (c.from == SQL_C_TIME) source = &time;
    TIMESTAMP_STRUCT target = {};
    int32_t out_length = -1;
    std::string label =
        std::to_string(c.from) + " " + Describe(c.value) + " to " + std::to_string(c.to);
    ASSERT_EQ(
        ConvertValueEntry(source, c.from, 0, 0, &target, c.to, sizeof target, 0, 0, &out_length),
        c.result)
        << label;
    if (c.result != kConvOk && c.result != kConvTruncated) continue;
    TIMESTAMP_STRUCT seen = {};
    if (c.to == SQL_C_DATE) {
      const auto& d = reinterpret_cast<const DATE_STRUCT&>(target);
      seen = Ts(d.year, d.month, d.day);
      EXPECT_EQ(out_length, 6) << label;
    } else if (c.to == SQL_C_TIME) {
      const auto& t = reinterpret_cast<const TIME_STRUCT&>(target);
      seen = Ts(0, 0, 0, t.hour, t.minute, t.second);
      EXPECT_EQ(out_length, 6) << label;
    } else {
      seen = target;
      EXPECT_EQ(out_length, 16) << label;
    }
    if (c.today) {
      EXPECT_TRUE(IsToday(seen)) << label << " gave " << Describe(seen);
      seen.year = seen.month = seen.day = 0;
    }
    EXPECT_EQ(Describe(seen), Describe(c.expected)) << label;
  }
}

TEST_F(ConvDateTimeTest, ToBinaryOnlyWhereTheCompactFormFits) {
  struct Case {
    int16_t from;
    int32_t length;
    int32_t result;
    int32_t size;  // bytes written and out length
  };
  const Case cases[] = {
      {SQL_C_DATE, 4, kConvOk, 4},
      {SQL_C_DATE, 3, kConvOutOfRange, 0},
      {SQL_C_DATE, 0, kConvOutOfRange, 0},
      {SQL_C_TIME, 3, kConvOk, 3},
      {SQL_C_TIME, 2, kConvOutOfRange, 0},
      {SQL_C_TIME, 1, kConvOutOfRange, 0},
      {SQL_C_TIMESTAMP, 12, kConvOk, 12},
      {SQL_C_TIMESTAMP, 16, kConvOk, 12},
      {SQL_C_TIMESTAMP, 11, kConvOutOfRange, 0},
      {SQL_C_TIMESTAMP, 0, kConvOutOfRange, 0},
  };
  DATE_STRUCT date = {2024, 2, 29};
  TIME_STRUCT time = {12, 30, 45};
  TIMESTAMP_STRUCT timestamp = {2024, 2, 29, 12, 30, 45, 123456789};
  const CompactDate compact_date = {2024, 2, 29};
  const CompactTime compact_time = {12, 30, 45};
  const CompactTimestamp compact_timestamp = {2024, 2, 29, 12, 30, 45, 0, 123456789};
  for (const Case& c : cases) {
    const void* source = &timestamp;
    const void* expected = &compact_timestamp;
    if (c.from == SQL_C_DATE) {
      source = &date;
      expected = &compact_date;
    } else if (c.from == SQL_C_TIME) {
      source = &time;
      expected = &compact_time;
    }
    TextTarget target(c.length);
    int32_t out_length = -1;
    std::string label = std::to_string(c.from) + " into " + std::to_string(c.length);
    EXPECT_EQ(ConvertValueEntry(source, c.from, 0, 0, target.bytes, SQL_VARBINARY, c.length, 0, 0,
                                &out_length),
              c.result)
        << label;
    if (c.result == kConvOk) {
      EXPECT_EQ(out_length, c.size) << label;
      EXPECT_EQ(std::memcmp(target.bytes, expected, static_cast<size_t>(c.size)), 0) << label;
    } else {
      EXPECT_TRUE(target.Untouched()) << label;
    }
    EXPECT_TRUE(target.OverrunFree()) << label;
  }
  // Invalid dates and timestamps are refused before anything is copied.
  DATE_STRUCT bad_date = {2023, 2, 29};
  TIMESTAMP_STRUCT bad_timestamp = {2024, 2, 29, 0, 0, 0, 1000000000};
  char bytes[16];
  EXPECT_EQ(ConvertValueEntry(&bad_date, SQL_C_DATE, 0, 0, bytes, SQL_VARBINARY, 16, 0, 0, nullptr),
            kConvInvalidDateTime);
  EXPECT_EQ(ConvertValueEntry(&bad_timestamp, SQL_C_TIMESTAMP, 0, 0, bytes, SQL_VARBINARY, 16, 0, 0,
                              nullptr),
            kConvInvalidDateTime);
}

TEST_F(ConvDateTimeTest, BinaryCTargetTakesTheWholeStructure) {
  struct Case {
    int16_t from;
    int32_t length;
    int32_t result;
  };
  const Case cases[] = {
      {SQL_C_DATE, 6, kConvOk},
      {SQL_C_DATE, 5, kConvOutOfRange},
      {SQL_C_DATE, 0, kConvOutOfRange},
      {SQL_C_TIME, 6, kConvOk},
      {SQL_C_TIME, 1, kConvOutOfRange},
      {SQL_C_TIMESTAMP, 16, kConvOk},
      {SQL_C_TIMESTAMP, 15, kConvOutOfRange},
  };
  const DATE_STRUCT date = {2024, 2, 29};
  const TIME_STRUCT time = {12, 30, 45};
  const TIMESTAMP_STRUCT timestamp = Ts(2024, 2, 29, 12, 30, 45, 5);
  for (const Case& c : cases) {
    const void* source = &timestamp;
    if (c.from == SQL_C_DATE) source = &date;
    if (c.from == SQL_C_TIME) source = &time;
    TextTarget target(c.length);
    int32_t out_length = -1;
    std::string label = std::to_string(c.from) + " into " + std::to_string(c.length);
    EXPECT_EQ(ConvertValueEntry(source, c.from, 0, 0, target.bytes, SQL_C_BINARY, c.length, 0, 0,
                                &out_length),
              c.result)
        << label;
    if (c.result == kConvOk) {
      EXPECT_EQ(out_length, c.length) << label;
      EXPECT_EQ(std::memcmp(target.bytes, source, static_cast<size_t>(c.length)), 0) << label;
    } else {
      EXPECT_TRUE(target.Untouched()) << label;
    }
    EXPECT_TRUE(target.OverrunFree()) << label;
  }
}

TEST_F(ConvDateTimeTest, FromText) {
  constexpr bool kToday = true;
  struct Case {
    const char* text;
    int32_t length;  // SQL_NTS or a count of the text's bytes
    int16_t to;
    int32_t result;
    TIMESTAMP_STRUCT expected;
    bool today = false;
  };
  const Case cases[] = {
      {"2024-01-02", kNts, SQL_C_DATE, kConvOk, Ts(2024, 1, 2)},
      {"2024-01-02XYZ", 10, SQL_C_DATE, kConvOk, Ts(2024, 1, 2)},
      {"{d '2024-02-29'}", kNts, SQL_C_DATE, kConvOk, Ts(2024, 2, 29)},
      {"2024-01-02 00:00:00", kNts, SQL_C_DATE, kConvOk, Ts(2024, 1, 2)},
      {"{ts '2024-01-02 03:04:05'}", kNts, SQL_C_DATE, kConvTruncated, Ts(2024, 1, 2)},
      {"2024-01-02 00:00:00.1", kNts, SQL_C_DATE, kConvTruncated, Ts(2024, 1, 2)},
      {"12:30:45", kNts, SQL_C_DATE, kConvInvalidDateTime, {}},
      {"2023-02-29", kNts, SQL_C_DATE, kConvInvalidDateTime, {}},
      {"2024-01-02", 4, SQL_C_DATE, kConvInvalidDateTime, {}},
      {"", kNts, SQL_C_DATE, kConvInvalidDateTime, {}},
      {"12:30:45", kNts, SQL_C_TIME, kConvOk, Ts(0, 0, 0, 12, 30, 45)},
      {"{t '12:30:45'}", kNts, SQL_C_TIME, kConvOk, Ts(0, 0, 0, 12, 30, 45)},
      {"12:30:45.5", kNts, SQL_C_TIME, kConvTruncated, Ts(0, 0, 0, 12, 30, 45)},
      {"2024-01-02 12:30:45", kNts, SQL_C_TIME, kConvOk, Ts(0, 0, 0, 12, 30, 45)},
      {"2024-01-02", kNts, SQL_C_TIME, kConvInvalidDateTime, {}},
      {"25:00:00", kNts, SQL_C_TIME, kConvInvalidDateTime, {}},
      {"2024-01-02 12:30:45.5", kNts, SQL_C_TIMESTAMP, kConvOk,
       Ts(2024, 1, 2, 12, 30, 45, 500000000)},
      {"2024-01-02", kNts, SQL_C_TIMESTAMP, kConvOk, Ts(2024, 1, 2, 0, 0, 0, 0)},
      {"12:30:45", kNts, SQL_C_TIMESTAMP, kConvOk, Ts(0, 0, 0, 12, 30, 45, 0), kToday},
      {"--(*vendor(Microsoft),product(ODBC) ts '2024-01-02 12:30:45.123'*)--", kNts,
       SQL_C_TIMESTAMP, kConvOk, Ts(2024, 1, 2, 12, 30, 45, 123000000)},
      {"2024-01-02 12:30:45.1234567890", kNts, SQL_C_TIMESTAMP, kConvInvalidDateTime, {}},
      {"not a date", kNts, SQL_C_TIMESTAMP, kConvInvalidDateTime, {}},
  };
  for (const Case& c : cases) {
    TIMESTAMP_STRUCT target = {};
    int32_t out_length = -1;
    std::string label = std::string("[") + c.text + "] to " + std::to_string(c.to);
    ASSERT_EQ(ConvertValueEntry(c.text, SQL_C_CHAR, c.length, 0, &target, c.to, sizeof target, 0, 0,
                                &out_length),
              c.result)
        << label;
    if (c.result != kConvOk && c.result != kConvTruncated) continue;
    TIMESTAMP_STRUCT seen = target;
    if (c.to == SQL_C_DATE) {
      const auto& d = reinterpret_cast<const DATE_STRUCT&>(target);
      seen = Ts(d.year, d.month, d.day);
    } else if (c.to == SQL_C_TIME) {
      const auto& t = reinterpret_cast<const TIME_STRUCT&>(target);
      seen = Ts(0, 0, 0, t.hour, t.minute, t.second);
    }
    if (c.today) {
      EXPECT_TRUE(IsToday(seen)) << label << " gave " << Describe(seen);
      seen.year = seen.month = seen.day = 0;
    }
    EXPECT_EQ(Describe(seen), Describe(c.expected)) << label;
  }
  // Other character types and a varchar source take the same parser.
  DATE_STRUCT date = {};
  EXPECT_EQ(
      ConvertValueEntry("2024-01-02", SQL_VARCHAR, kNts, 0, &date, SQL_C_DATE, 6, 0, 0, nullptr),
      kConvOk);
  EXPECT_EQ(date.day, 2);
}

TEST_F(ConvDateTimeTest, NoNumericPairs) {
  const int16_t numeric[] = {SQL_NUMERIC, SQL_C_LONG, SQL_C_DOUBLE, SQL_C_BIT, SQL_C_TINYINT};
  const int16_t dated[] = {SQL_C_DATE, SQL_C_TIME, SQL_C_TIMESTAMP};
  char buffer[32] = "1";
  for (int16_t n : numeric) {
    for (int16_t d : dated) {
      EXPECT_EQ(ConvertValueEntry(buffer, n, 0, 0, buffer, d, sizeof buffer, 0, 0, nullptr),
                kConvUnsupported)
          << n << " to " << d;
      EXPECT_EQ(ConvertValueEntry(buffer, d, 0, 0, buffer, n, sizeof buffer, 0, 0, nullptr),
                kConvUnsupported)
          << d << " to " << n;
    }
  }
}

}  // namespace

// The conversion routines whose source or target is a date, a time or a
// timestamp. They read and write the compact forms; the dispatcher packs
// and unpacks the ODBC structures around them.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "driver/odbc/convert/conv_routines.h"
#include "driver/odbc/convert/datetime_calendar.h"
#include "driver/odbc/convert/datetime_literal.h"

namespace {

// Longest text any of the forms can give: a six-character year and
// three-digit fields.
constexpr size_t kTextRoom = 48;
// Date, blank and time of the timestamp text, without the point and fraction.
constexpr int32_t kTimestampWholeSeconds = 19;
// The whole timestamp text, fraction included.
constexpr int32_t kTimestampWithFraction = 29;

int32_t FormatDate(char* text, int16_t year, uint8_t month, uint8_t day) {
  return std::snprintf(text, kTextRoom, "%4.4d-%2.2u-%2.2u", year, static_cast<unsigned>(month),
                       static_cast<unsigned>(day));
}

int32_t FormatTime(char* text, uint8_t hour, uint8_t minute, uint8_t second) {
  return std::snprintf(text, kTextRoom, "%2.2u:%2.2u:%2.2u", static_cast<unsigned>(hour),
                       static_cast<unsigned>(minute), static_cast<unsigned>(second));
}

// A missing target has no room at all.
int32_t RoomOf(const void* target, int32_t target_length) {
  return target == nullptr || target_length < 0 ? 0 : target_length;
}

// A text that must fit whole with its NUL.
int32_t WriteWholeText(const char* text, int32_t length, void* target, int32_t target_length,
                       int32_t* out_length) {
  if (RoomOf(target, target_length) < length + 1) return kConvOutOfRange;
  std::memcpy(target, text, static_cast<size_t>(length) + 1);
  *out_length = length;
  return kConvOk;
}

// The compact value itself, into its own class or into a binary target that
// has room for it.
int32_t WriteCompact(const void* value, int32_t size, void* target, int16_t target_class,
                     int32_t target_length, int32_t* out_length) {
  if (target == nullptr) return kConvOutOfRange;
  if (target_class == kConvBinary && target_length < size) return kConvOutOfRange;
  std::memcpy(target, value, static_cast<size_t>(size));
  *out_length = size;
  return kConvOk;
}

CompactDate DateOf(const CompactTimestamp& timestamp) {
  return {timestamp.year, timestamp.month, timestamp.day};
}

CompactTime TimeOf(const CompactTimestamp& timestamp) {
  return {timestamp.hour, timestamp.minute, timestamp.second};
}

bool HasTime(const CompactTimestamp& timestamp) {
  return timestamp.hour != 0 || timestamp.minute != 0 || timestamp.second != 0;
}

int32_t ParseText(const void* source, CompactTimestamp* timestamp, int16_t* kind) {
  if (source == nullptr) return kConvInvalidDateTime;
  return ParseDateTimeLiteral(static_cast<const char*>(source), timestamp, kind);
}

}  // namespace

int32_t TimestampToText(const void* source, int16_t, int32_t, void* target, int16_t,
                        int32_t target_length, int32_t precision, int16_t scale,
                        int32_t* out_length) {
  if (source == nullptr) return kConvInvalidDateTime;
  const auto& timestamp = *static_cast<const CompactTimestamp*>(source);
  if (!IsValidTimestamp(timestamp)) return kConvInvalidDateTime;

  // A negative precision is no precision at all.
  int32_t length;
  if (precision > 0) {
    if (target_length < precision) return kConvOutOfRange;
    length = timestamp.fraction != 0 ? precision : kTimestampWholeSeconds;
  } else {
    if (target_length < kTimestampWholeSeconds) return kConvOutOfRange;
    length = timestamp.fraction != 0 ? kTimestampWithFraction : kTimestampWholeSeconds;
  }
  if (scale > 0) length += scale + 1;

  char text[kTextRoom];
  int32_t full =
      FormatDate(text, static_cast<int16_t>(timestamp.year), timestamp.month, timestamp.day);
  full += std::snprintf(
      text + full, kTextRoom - static_cast<size_t>(full), " %2.2u:%2.2u:%2.2u.%9.9lu",
      static_cast<unsigned>(timestamp.hour), static_cast<unsigned>(timestamp.minute),
      static_cast<unsigned>(timestamp.second), static_cast<unsigned long>(timestamp.fraction));
  // Nothing is written past the text itself, so the length reported is at
  // most what it holds.
  int32_t shown = std::min(length, full);
  *out_length = shown;
  int32_t room = RoomOf(target, target_length);
  // The NUL always goes in; a text that leaves it no room is cut.
  if (room <= shown) {
    if (room > 0) {
      std::memcpy(target, text, static_cast<size_t>(room - 1));
      static_cast<char*>(target)[room - 1] = '\0';
    }
    return kConvTruncated;
  }
  std::memcpy(target, text, static_cast<size_t>(shown));
  static_cast<char*>(target)[shown] = '\0';
  return kConvOk;
}

int32_t TimestampToDate(const void* source, int16_t, int32_t, void* target, int16_t, int32_t,
                        int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr || target == nullptr) return kConvInvalidDateTime;
  const auto& timestamp = *static_cast<const CompactTimestamp*>(source);
  if (!IsValidTimestamp(timestamp)) return kConvInvalidDateTime;
  *static_cast<CompactDate*>(target) = DateOf(timestamp);
  *out_length = sizeof(CompactDate);
  return HasTime(timestamp) || timestamp.fraction != 0 ? kConvTruncated : kConvOk;
}

int32_t TimestampToTime(const void* source, int16_t, int32_t, void* target, int16_t, int32_t,
                        int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr || target == nullptr) return kConvInvalidDateTime;
  const auto& timestamp = *static_cast<const CompactTimestamp*>(source);
  if (!IsValidTimestamp(timestamp)) return kConvInvalidDateTime;
  *static_cast<CompactTime*>(target) = TimeOf(timestamp);
  *out_length = sizeof(CompactTime);
  return timestamp.fraction != 0 ? kConvTruncated : kConvOk;
}

int32_t TimestampCopy(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                      int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr) return kConvInvalidDateTime;
  const auto& timestamp = *static_cast<const CompactTimestamp*>(source);
  if (!IsValidTimestamp(timestamp)) return kConvInvalidDateTime;
  return WriteCompact(&timestamp, sizeof timestamp, target, target_class, target_length,
                      out_length);
}

int32_t DateToText(const void* source, int16_t, int32_t, void* target, int16_t,
                   int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr) return kConvInvalidDateTime;
  const auto& date = *static_cast<const CompactDate*>(source);
  if (!IsValidDate(date)) return kConvInvalidDateTime;
  char text[kTextRoom];
  int32_t length = FormatDate(text, static_cast<int16_t>(date.year), date.month, date.day);
  return WriteWholeText(text, length, target, target_length, out_length);
}

int32_t DateCopy(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                 int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr) return kConvInvalidDateTime;
  const auto& date = *static_cast<const CompactDate*>(source);
  if (!IsValidDate(date)) return kConvInvalidDateTime;
  return WriteCompact(&date, sizeof date, target, target_class, target_length, out_length);
}

int32_t DateToTimestamp(const void* source, int16_t, int32_t, void* target, int16_t, int32_t,
                        int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr || target == nullptr) return kConvInvalidDateTime;
  const auto& date = *static_cast<const CompactDate*>(source);
  if (!IsValidDate(date)) return kConvInvalidDateTime;
  CompactTimestamp timestamp = {};
  timestamp.year = date.year;
  timestamp.month = date.month;
  timestamp.day = date.day;
  *static_cast<CompactTimestamp*>(target) = timestamp;
  *out_length = sizeof(CompactTimestamp);
  return kConvOk;
}

int32_t TimeToText(const void* source, int16_t, int32_t, void* target, int16_t,
                   int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr) return kConvInvalidDateTime;
  const auto& time = *static_cast<const CompactTime*>(source);
  char text[kTextRoom];
  int32_t length = FormatTime(text, time.hour, time.minute, time.second);
  return WriteWholeText(text, length, target, target_length, out_length);
}

int32_t TimeCopy(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                 int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr) return kConvInvalidDateTime;
  const auto& time = *static_cast<const CompactTime*>(source);
  return WriteCompact(&time, sizeof time, target, target_class, target_length, out_length);
}

int32_t TimeToTimestamp(const void* source, int16_t, int32_t, void* target, int16_t, int32_t,
                        int32_t, int16_t, int32_t* out_length) {
  if (source == nullptr || target == nullptr) return kConvInvalidDateTime;
  const auto& time = *static_cast<const CompactTime*>(source);
  CompactTimestamp timestamp = {};
  CurrentDate(&timestamp);
  timestamp.hour = time.hour;
  timestamp.minute = time.minute;
  timestamp.second = time.second;
  *static_cast<CompactTimestamp*>(target) = timestamp;
  *out_length = sizeof(CompactTimestamp);
  return kConvOk;
}

// A time alone is no date, and a date alone no time: neither has the part
// the target asks for.
int32_t TextToDate(const void* source, int16_t, int32_t, void* target, int16_t, int32_t, int32_t,
                   int16_t, int32_t* out_length) {
  CompactTimestamp timestamp;
  int16_t kind;
  int32_t result = ParseText(source, &timestamp, &kind);
  if (result != kConvOk) return result;
  if (kind == kConvTime || target == nullptr) return kConvInvalidDateTime;
  *static_cast<CompactDate*>(target) = DateOf(timestamp);
  *out_length = sizeof(CompactDate);
  return HasTime(timestamp) || timestamp.fraction != 0 ? kConvTruncated : kConvOk;
}

int32_t TextToTime(const void* source, int16_t, int32_t, void* target, int16_t, int32_t, int32_t,
                   int16_t, int32_t* out_length) {
  CompactTimestamp timestamp;
  int16_t kind;
  int32_t result = ParseText(source, &timestamp, &kind);
  if (result != kConvOk) return result;
  if (kind == kConvDate || target == nullptr) return kConvInvalidDateTime;
  *static_cast<CompactTime*>(target) = TimeOf(timestamp);
  *out_length = sizeof(CompactTime);
  return timestamp.fraction != 0 ? kConvTruncated : kConvOk;
}

int32_t TextToTimestamp(const void* source, int16_t, int32_t, void* target, int16_t, int32_t,
                        int32_t, int16_t, int32_t* out_length) {
  CompactTimestamp timestamp;
  int16_t kind;
  int32_t result = ParseText(source, &timestamp, &kind);
  if (result != kConvOk) return result;
  if (target == nullptr) return kConvInvalidDateTime;
  if (kind == kConvTime) CurrentDate(&timestamp);
  *static_cast<CompactTimestamp*>(target) = timestamp;
  *out_length = sizeof(CompactTimestamp);
  return kConvOk;
}

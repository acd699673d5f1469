// Packing the ODBC date and time structures into the compact forms the
// conversion routines work on, and back. Packing keeps the low byte of each
// 16-bit field (the year keeps 16 bits), so callers first check with
// FitsCompact that no field is cut; unpacking widens each byte.
#pragma once

#include <sqltypes.h>

#include "driver/odbc/convert/conv_types.h"

// Whether every field below the year fits the byte it is packed into: a
// month of 257 must not quietly become January.
inline bool FitsCompact(const DATE_STRUCT& value) {
  return value.month < 256 && value.day < 256;
}
inline bool FitsCompact(const TIME_STRUCT& value) {
  return value.hour < 256 && value.minute < 256 && value.second < 256;
}
inline bool FitsCompact(const TIMESTAMP_STRUCT& value) {
  return value.month < 256 && value.day < 256 && value.hour < 256 && value.minute < 256 &&
         value.second < 256;
}

inline CompactDate PackDate(const DATE_STRUCT& value) {
  return {static_cast<uint16_t>(value.year), static_cast<uint8_t>(value.month),
          static_cast<uint8_t>(value.day)};
}
inline CompactTime PackTime(const TIME_STRUCT& value) {
  return {static_cast<uint8_t>(value.hour), static_cast<uint8_t>(value.minute),
          static_cast<uint8_t>(value.second)};
}
inline CompactTimestamp PackTimestamp(const TIMESTAMP_STRUCT& value) {
  return {static_cast<uint16_t>(value.year),
          static_cast<uint8_t>(value.month),
          static_cast<uint8_t>(value.day),
          static_cast<uint8_t>(value.hour),
          static_cast<uint8_t>(value.minute),
          static_cast<uint8_t>(value.second),
          0,
          static_cast<uint32_t>(value.fraction)};
}

inline DATE_STRUCT UnpackDate(const CompactDate& value) {
  return {static_cast<SQLSMALLINT>(value.year), value.month, value.day};
}
inline TIME_STRUCT UnpackTime(const CompactTime& value) {
  return {value.hour, value.minute, value.second};
}
inline TIMESTAMP_STRUCT UnpackTimestamp(const CompactTimestamp& value) {
  return {static_cast<SQLSMALLINT>(value.year),
          value.month,
          value.day,
          value.hour,
          value.minute,
          value.second,
          value.fraction};
}

// What the conversion layer works with: the fifteen conversion classes, the
// rows of the type table, the one signature every conversion routine has,
// the routines' and the dispatcher's result codes, and the compact forms in
// which dates and times reach the routines.
#pragma once

#include <cstdint>

// Conversion classes: the in-memory form a routine reads or writes.
enum ConvClass : int16_t {
  kConvChar = 0,        // NUL-terminated text
  kConvDecimal = 1,     // NUL-terminated numeric text (NUMERIC, DECIMAL, BIGINT)
  kConvBit = 2,         // one byte, 0 or 1
  kConvTinyInt = 3,     // int8_t
  kConvUTinyInt = 4,    // uint8_t
  kConvShort = 5,       // int16_t
  kConvUShort = 6,      // uint16_t
  kConvLong = 7,        // int32_t
  kConvULong = 8,       // uint32_t
  kConvReal = 9,        // float
  kConvDouble = 10,     // double
  kConvBinary = 11,     // bytes with an explicit length
  kConvDate = 12,       // CompactDate
  kConvTime = 13,       // CompactTime
  kConvTimestamp = 14,  // CompactTimestamp
};
constexpr uint32_t kConvClassCount = 15;

// One row of the type table. SQL and C type codes share one code space.
struct ConvTypeEntry {
  int16_t code;
  int16_t routine_class;  // handed to the routine
  uint32_t matrix_class;  // row and column of the matrix
};

// Every routine: (source, source class, source length, target, target class,
// target length, precision, scale, out length) -> a routine result. Text
// sources are NUL-terminated; the out length receives what was written (for
// text: without the NUL).
using ConvRoutine = int32_t (*)(const void* source, int16_t source_class, int32_t source_length,
                                void* target, int16_t target_class, int32_t target_length,
                                int32_t precision, int16_t scale, int32_t* out_length);

// Results of the routines and of ConvertValue alike, and so of every caller
// that converts a value. The routines give the first six.
enum : int32_t {
  kConvOk = 0,
  kConvNoMemory = -5,
  kConvTruncated = -6,        // converted with loss (success with information): text cut,
                              // fraction dropped
  kConvOutOfRange = -7,       // the value does not fit the target
  kConvInvalidText = -8,      // the text is not a value of the target
  kConvInvalidDateTime = -9,  // invalid date, time or timestamp
  kConvUnsupported = -10,     // no conversion between the two types
  // A routine answered with a code no one knows: never taken for success.
  kConvFailed = -11,
};

// The compact forms the date and time routines read and write; the
// application sees the ODBC structures, which the dispatcher packs and
// unpacks around the call.
struct CompactDate {
  uint16_t year;
  uint8_t month;
  uint8_t day;
};
struct CompactTime {
  uint8_t hour;
  uint8_t minute;
  uint8_t second;
};
struct CompactTimestamp {
  uint16_t year;
  uint8_t month;
  uint8_t day;
  uint8_t hour;
  uint8_t minute;
  uint8_t second;
  uint8_t filler;
  uint32_t fraction;  // billionths of a second
};
static_assert(sizeof(CompactDate) == 4);
static_assert(sizeof(CompactTime) == 3);
static_assert(sizeof(CompactTimestamp) == 12);

// ODBC type codes the conversion layer names (the same values as sqlext.h;
// kept here so the tables read without the ODBC headers).
enum : int16_t {
  kSqlChar = 1,
  kSqlNumeric = 2,
  kSqlDecimal = 3,
  kSqlInteger = 4,
  kSqlSmallInt = 5,
  kSqlFloat = 6,
  kSqlReal = 7,
  kSqlDouble = 8,
  kSqlDate = 9,
  kSqlTime = 10,
  kSqlTimestamp = 11,
  kSqlVarChar = 12,
  kSqlLongVarChar = -1,
  kSqlBinary = -2,
  kSqlVarBinary = -3,
  kSqlLongVarBinary = -4,
  kSqlBigInt = -5,
  kSqlTinyInt = -6,
  kSqlBit = -7,
  kSqlCSShort = -15,
  kSqlCSLong = -16,
  kSqlCUShort = -17,
  kSqlCULong = -18,  // also the bookmark type
  kSqlCSTinyInt = -26,
  kSqlCUTinyInt = -28,
  kSqlCDefault = 99,
};

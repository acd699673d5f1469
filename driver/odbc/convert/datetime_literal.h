// Reading the text of a date, time or timestamp: bare values such as
// 2024-01-02 12:30:45.5, and the ODBC escapes in their short form
// {ts '...'} and their long form --(*vendor(Microsoft),product(ODBC) ts
// '...'*)--. Only ASCII is read, whatever the application's locale.
#pragma once

#include <cstdint>

#include "driver/odbc/convert/conv_types.h"

enum DateTimeToken : int32_t {
  kTokEscapeOpen = 0,       // {
  kTokLongEscapeOpen = 1,   // --(*vendor(Microsoft),product(ODBC)
  kTokEscapeClose = 2,      // }
  kTokLongEscapeClose = 3,  // *)--
  kTokTimestamp = 4,        // ts
  kTokDate = 5,             // d
  kTokTime = 6,             // t
  kTokQuote = 7,            // '
  kTokDash = 8,             // -
  kTokBlank = 9,            // one space
  kTokColon = 10,           // :
  kTokPoint = 11,           // .
  kTokNumber = 12,          // a run of decimal digits
  kTokEnd = 13,             // the end of the text
};

// Reads the token at *position and moves past it (not past the end). For a
// number, its value (held at UINT32_MAX when it is larger) and its digit
// count. 0, or kConvInvalidDateTime on a character or clause it does not
// know.
int32_t DateTimeLexer(const char** position, DateTimeToken* token, uint32_t* value,
                      int32_t* digits);

// Parses the literal into *timestamp (cleared first; fields the literal does
// not give stay 0) and gives its kind: kConvDate, kConvTime or
// kConvTimestamp. 0, or kConvInvalidDateTime; on failure the timestamp may
// hold the fields read so far.
int32_t ParseDateTimeLiteral(const char* text, CompactTimestamp* timestamp, int16_t* kind);

// The one way a value crosses between an application buffer and the
// driver's own form of a server value: look both types up, find the routine
// of their classes, bring dates and times into their compact forms, run the
// routine under the conversion lock and map its result.
#pragma once

#include <cstdint>

#include "driver/odbc/convert/conv_types.h"

// Converts `source` (of `source_type`, `source_length` bytes for a CHAR
// source, SQL_NTS for a terminated one) into `target`. A target type of
// SQL_C_BINARY with restriction 0 takes the source's default C type;
// restriction 1 lets only character and binary sources reach a binary
// target. `source_unsigned` reads SMALLINT, TINYINT and INTEGER sources as
// their unsigned C types. The out length may be null. A ConvertValue result.
int32_t ConvertValue(const void* source, int16_t source_type, int32_t source_length,
                     int restriction, void* target, int16_t target_type, int32_t target_length,
                     int32_t precision, int16_t scale, int32_t* out_length, int source_unsigned);
// ConvertValue for a caller that holds ConvLock() already: a row's values
// are converted under one hold of the lock.
int32_t ConvertValueHeld(const void* source, int16_t source_type, int32_t source_length,
                         int restriction, void* target, int16_t target_type, int32_t target_length,
                         int32_t precision, int16_t scale, int32_t* out_length,
                         int source_unsigned);
// ConvertValue with signed sources.
int32_t ConvertValueEntry(const void* source, int16_t source_type, int32_t source_length,
                          int restriction, void* target, int16_t target_type, int32_t target_length,
                          int32_t precision, int16_t scale, int32_t* out_length);

// The message to post for a ConvertValue result: 5100 for success, the
// matching diagnostic otherwise, and the general error for a code the
// mapping does not know.
uint32_t ConvResultToMessage(int32_t result);

// The C type the driver uses for SQL_C_DEFAULT with a column of this type.
int16_t DefaultCTypeForSqlType(int16_t sql_type);

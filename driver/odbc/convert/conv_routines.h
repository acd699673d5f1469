// The routines that fill the cells of the conversion matrix, all of the
// ConvRoutine signature. They are listed by family so that each family's
// file can define its own; a routine shared by several cells appears once.
#pragma once

#include <cstdint>

#include "driver/odbc/convert/conv_types.h"

// Character and decimal sources (the decimal class reads numeric text).
#define VEL_CONV_TEXT_ROUTINES(X) \
  X(TextToText)                   \
  X(TextToNumericText)            \
  X(TextToBit)                    \
  X(TextToTinyInt)                \
  X(TextToUTinyInt)               \
  X(TextToShort)                  \
  X(TextToUShort)                 \
  X(TextToLong)                   \
  X(TextToULong)                  \
  X(TextToReal)                   \
  X(TextToDouble)                 \
  X(TextToBinary)

// Same-size copies, shared by the cells whose source and target have one
// layout (Copy4 and Copy8 also serve the binary cells of real and double).
#define VEL_CONV_COPY_ROUTINES(X) \
  X(Copy1)                        \
  X(Copy2)                        \
  X(Copy4)                        \
  X(Copy8)

// Integer and bit sources: one routine per cell.
#define VEL_CONV_INTEGER_ROUTINES(X) \
  X(BitToChar)                       \
  X(BitToDecimal)                    \
  X(BitToShort)                      \
  X(BitToUShort)                     \
  X(BitToLong)                       \
  X(BitToULong)                      \
  X(BitToReal)                       \
  X(BitToDouble)                     \
  X(BitToBinary)                     \
  X(TinyIntToChar)                   \
  X(TinyIntToDecimal)                \
  X(TinyIntToBit)                    \
  X(TinyIntToUTinyInt)               \
  X(TinyIntToShort)                  \
  X(TinyIntToUShort)                 \
  X(TinyIntToLong)                   \
  X(TinyIntToULong)                  \
  X(TinyIntToReal)                   \
  X(TinyIntToDouble)                 \
  X(TinyIntToBinary)                 \
  X(UTinyIntToChar)                  \
  X(UTinyIntToDecimal)               \
  X(UTinyIntToBit)                   \
  X(UTinyIntToTinyInt)               \
  X(UTinyIntToShort)                 \
  X(UTinyIntToUShort)                \
  X(UTinyIntToLong)                  \
  X(UTinyIntToULong)                 \
  X(UTinyIntToReal)                  \
  X(UTinyIntToDouble)                \
  X(UTinyIntToBinary)                \
  X(ShortToChar)                     \
  X(ShortToDecimal)                  \
  X(ShortToBit)                      \
  X(ShortToTinyInt)                  \
  X(ShortToUTinyInt)                 \
  X(ShortToUShort)                   \
  X(ShortToLong)                     \
  X(ShortToULong)                    \
  X(ShortToReal)                     \
  X(ShortToDouble)                   \
  X(ShortToBinary)                   \
  X(UShortToChar)                    \
  X(UShortToDecimal)                 \
  X(UShortToBit)                     \
  X(UShortToTinyInt)                 \
  X(UShortToUTinyInt)                \
  X(UShortToShort)                   \
  X(UShortToLong)                    \
  X(UShortToULong)                   \
  X(UShortToReal)                    \
  X(UShortToDouble)                  \
  X(UShortToBinary)                  \
  X(LongToChar)                      \
  X(LongToDecimal)                   \
  X(LongToBit)                       \
  X(LongToTinyInt)                   \
  X(LongToUTinyInt)                  \
  X(LongToShort)                     \
  X(LongToUShort)                    \
  X(LongToULong)                     \
  X(LongToReal)                      \
  X(LongToDouble)                    \
  X(LongToBinary)                    \
  X(ULongToChar)                     \
  X(ULongToDecimal)                  \
  X(ULongToBit)                      \
  X(ULongToTinyInt)                  \
  X(ULongToUTinyInt)                 \
  X(ULongToShort)                    \
  X(ULongToUShort)                   \
  X(ULongToLong)                     \
  X(ULongToReal)                     \
  X(ULongToDouble)                   \
  X(ULongToBinary)

// Real and double sources; a real is widened and takes the double routine
// (the routine reads the source class), except where the two differ.
#define VEL_CONV_FLOAT_ROUTINES(X) \
  X(DoubleToText)                  \
  X(DoubleToDecimal)               \
  X(DoubleToBit)                   \
  X(DoubleToTinyInt)               \
  X(DoubleToUTinyInt)              \
  X(DoubleToShort)                 \
  X(DoubleToUShort)                \
  X(DoubleToLong)                  \
  X(DoubleToULong)                 \
  X(RealToDouble)                  \
  X(DoubleToReal)

// Binary sources (to decimal they take TextToNumericText, to real and
// double Copy4 and Copy8).
#define VEL_CONV_BINARY_ROUTINES(X) \
  X(BinaryToHexText)                \
  X(BinaryCopy)

// Dates, times and timestamps (the date and time copies also serve their
// binary cells).
#define VEL_CONV_DATETIME_ROUTINES(X) \
  X(TextToDate)                       \
  X(TextToTime)                       \
  X(TextToTimestamp)                  \
  X(DateToText)                       \
  X(DateCopy)                         \
  X(DateToTimestamp)                  \
  X(TimeToText)                       \
  X(TimeCopy)                         \
  X(TimeToTimestamp)                  \
  X(TimestampToText)                  \
  X(TimestampCopy)                    \
  X(TimestampToDate)                  \
  X(TimestampToTime)

#define VEL_CONV_ROUTINE_DECLARE(name)                                                        \
  int32_t name(const void* source, int16_t source_class, int32_t source_length, void* target, \
               int16_t target_class, int32_t target_length, int32_t precision, int16_t scale, \
               int32_t* out_length);

VEL_CONV_TEXT_ROUTINES(VEL_CONV_ROUTINE_DECLARE)
VEL_CONV_COPY_ROUTINES(VEL_CONV_ROUTINE_DECLARE)
VEL_CONV_INTEGER_ROUTINES(VEL_CONV_ROUTINE_DECLARE)
VEL_CONV_FLOAT_ROUTINES(VEL_CONV_ROUTINE_DECLARE)
VEL_CONV_BINARY_ROUTINES(VEL_CONV_ROUTINE_DECLARE)
VEL_CONV_DATETIME_ROUTINES(VEL_CONV_ROUTINE_DECLARE)

#undef VEL_CONV_ROUTINE_DECLARE

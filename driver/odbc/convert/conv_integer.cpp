// Bit and integer sources to every class but the dates and times: one
// routine per cell, each bound to its two classes.
#include <charconv>
#include <cstring>

#include "driver/odbc/convert/conv_routines.h"
#include "driver/odbc/convert/conv_write.h"

namespace {

bool IsSignedClass(ConvClass c) {
  return c == kConvTinyInt || c == kConvShort || c == kConvLong;
}

size_t ClassSize(ConvClass c) {
  switch (c) {
    case kConvShort:
    case kConvUShort:
      return 2;
    case kConvLong:
    case kConvULong:
      return 4;
    default:  // bit, tinyint, utinyint
      return 1;
  }
}

int64_t ReadInteger(const void* source, ConvClass c) {
  switch (c) {
    case kConvBit:
      return ReadSourceValue<uint8_t>(source) != 0 ? 1 : 0;
    case kConvTinyInt:
      return ReadSourceValue<int8_t>(source);
    case kConvUTinyInt:
      return ReadSourceValue<uint8_t>(source);
    case kConvShort:
      return ReadSourceValue<int16_t>(source);
    case kConvUShort:
      return ReadSourceValue<uint16_t>(source);
    case kConvLong:
      return ReadSourceValue<int32_t>(source);
    default:  // unsigned long
      return ReadSourceValue<uint32_t>(source);
  }
}

// Writes `value` in decimal when it fits both the target (with its NUL) and
// the digit limit (a minus sign, when `signs` allows one, not counted): 0,
// else -8.
int32_t WholeToText(int64_t value, bool signs, void* target, int32_t target_length,
                    int32_t digit_limit, int32_t* out_length) {
  char text[24];
  char* end = std::to_chars(text, text + sizeof text, value).ptr;
  auto length = static_cast<int32_t>(end - text);
  int32_t allowed = digit_limit + (signs && value < 0 ? 1 : 0);
  if (target == nullptr || length >= target_length || length > allowed) {
    return kConvOutOfRange;
  }
  std::memcpy(target, text, static_cast<size_t>(length));
  static_cast<char*>(target)[length] = '\0';
  *out_length = length;
  return kConvOk;
}

int32_t BitToText(int64_t bit, void* target, int32_t target_length, int32_t* out_length) {
  if (target == nullptr || target_length < 2) return kConvOutOfRange;
  char* out = static_cast<char*>(target);
  out[0] = bit != 0 ? '1' : '0';
  out[1] = '\0';
  *out_length = 1;
  return kConvOk;
}

int32_t IntegerCell(ConvClass from, ConvClass to, const void* source, void* target,
                    int32_t target_length, int32_t precision, int32_t* out_length) {
  int64_t value = ReadInteger(source, from);
  switch (to) {
    case kConvChar:
    case kConvDecimal:
      if (from == kConvBit) return BitToText(value, target, target_length, out_length);
      return WholeToText(value, IsSignedClass(from), target, target_length,
                         to == kConvChar ? target_length : precision, out_length);
    case kConvBit:
      if (value != 0 && value != 1) return kConvOutOfRange;
      return WriteFixedValue(static_cast<uint8_t>(value), target, to, target_length, out_length);
    case kConvTinyInt:
      if (value < INT8_MIN || value > INT8_MAX) return kConvOutOfRange;
      return WriteFixedValue(static_cast<int8_t>(value), target, to, target_length, out_length);
    case kConvUTinyInt:
      if (value < 0 || value > UINT8_MAX) return kConvOutOfRange;
      return WriteFixedValue(static_cast<uint8_t>(value), target, to, target_length, out_length);
    case kConvShort:
      if (value < INT16_MIN || value > INT16_MAX) return kConvOutOfRange;
      return WriteFixedValue(static_cast<int16_t>(value), target, to, target_length, out_length);
    case kConvUShort:
      if (value < 0 || value > UINT16_MAX) return kConvOutOfRange;
      return WriteFixedValue(static_cast<uint16_t>(value), target, to, target_length, out_length);
    case kConvLong:
      if (value < INT32_MIN || value > INT32_MAX) return kConvOutOfRange;
      return WriteFixedValue(static_cast<int32_t>(value), target, to, target_length, out_length);
    case kConvULong:
      if (value < 0 || value > UINT32_MAX) return kConvOutOfRange;
      return WriteFixedValue(static_cast<uint32_t>(value), target, to, target_length, out_length);
    case kConvReal:
      return WriteFixedValue(static_cast<float>(value), target, to, target_length, out_length);
    case kConvDouble:
      return WriteFixedValue(static_cast<double>(value), target, to, target_length, out_length);
    default: {  // binary: the value's own bytes
      size_t size = ClassSize(from);
      if (!FixedTargetFits(target, to, target_length, size)) return kConvOutOfRange;
      std::memcpy(target, source, size);
      *out_length = static_cast<int32_t>(size);
      return kConvOk;
    }
  }
}

}  // namespace

#define VEL_INTEGER_CELL(name, from, to)                                                           \
  int32_t name(const void* source, int16_t, int32_t, void* target, int16_t, int32_t target_length, \
               int32_t precision, int16_t, int32_t* out_length) {                                  \
    return IntegerCell(from, to, source, target, target_length, precision, out_length);            \
  }

#define VEL_INTEGER_ROW(prefix, from)                     \
  VEL_INTEGER_CELL(prefix##ToChar, from, kConvChar)       \
  VEL_INTEGER_CELL(prefix##ToDecimal, from, kConvDecimal) \
  VEL_INTEGER_CELL(prefix##ToReal, from, kConvReal)       \
  VEL_INTEGER_CELL(prefix##ToDouble, from, kConvDouble)   \
  VEL_INTEGER_CELL(prefix##ToBinary, from, kConvBinary)

VEL_INTEGER_ROW(Bit, kConvBit)
VEL_INTEGER_ROW(TinyInt, kConvTinyInt)
VEL_INTEGER_ROW(UTinyInt, kConvUTinyInt)
VEL_INTEGER_ROW(Short, kConvShort)
VEL_INTEGER_ROW(UShort, kConvUShort)
VEL_INTEGER_ROW(Long, kConvLong)
VEL_INTEGER_ROW(ULong, kConvULong)

VEL_INTEGER_CELL(BitToShort, kConvBit, kConvShort)
VEL_INTEGER_CELL(BitToUShort, kConvBit, kConvUShort)
VEL_INTEGER_CELL(BitToLong, kConvBit, kConvLong)
VEL_INTEGER_CELL(BitToULong, kConvBit, kConvULong)

VEL_INTEGER_CELL(TinyIntToBit, kConvTinyInt, kConvBit)
VEL_INTEGER_CELL(TinyIntToUTinyInt, kConvTinyInt, kConvUTinyInt)
VEL_INTEGER_CELL(TinyIntToShort, kConvTinyInt, kConvShort)
VEL_INTEGER_CELL(TinyIntToUShort, kConvTinyInt, kConvUShort)
VEL_INTEGER_CELL(TinyIntToLong, kConvTinyInt, kConvLong)
VEL_INTEGER_CELL(TinyIntToULong, kConvTinyInt, kConvULong)

VEL_INTEGER_CELL(UTinyIntToBit, kConvUTinyInt, kConvBit)
VEL_INTEGER_CELL(UTinyIntToTinyInt, kConvUTinyInt, kConvTinyInt)
VEL_INTEGER_CELL(UTinyIntToShort, kConvUTinyInt, kConvShort)
VEL_INTEGER_CELL(UTinyIntToUShort, kConvUTinyInt, kConvUShort)
VEL_INTEGER_CELL(UTinyIntToLong, kConvUTinyInt, kConvLong)
VEL_INTEGER_CELL(UTinyIntToULong, kConvUTinyInt, kConvULong)

VEL_INTEGER_CELL(ShortToBit, kConvShort, kConvBit)
VEL_INTEGER_CELL(ShortToTinyInt, kConvShort, kConvTinyInt)
VEL_INTEGER_CELL(ShortToUTinyInt, kConvShort, kConvUTinyInt)
VEL_INTEGER_CELL(ShortToUShort, kConvShort, kConvUShort)
VEL_INTEGER_CELL(ShortToLong, kConvShort, kConvLong)
VEL_INTEGER_CELL(ShortToULong, kConvShort, kConvULong)

VEL_INTEGER_CELL(UShortToBit, kConvUShort, kConvBit)
VEL_INTEGER_CELL(UShortToTinyInt, kConvUShort, kConvTinyInt)
VEL_INTEGER_CELL(UShortToUTinyInt, kConvUShort, kConvUTinyInt)
VEL_INTEGER_CELL(UShortToShort, kConvUShort, kConvShort)
VEL_INTEGER_CELL(UShortToLong, kConvUShort, kConvLong)
VEL_INTEGER_CELL(UShortToULong, kConvUShort, kConvULong)

VEL_INTEGER_CELL(LongToBit, kConvLong, kConvBit)
VEL_INTEGER_CELL(LongToTinyInt, kConvLong, kConvTinyInt)
VEL_INTEGER_CELL(LongToUTinyInt, kConvLong, kConvUTinyInt)
VEL_INTEGER_CELL(LongToShort, kConvLong, kConvShort)
VEL_INTEGER_CELL(LongToUShort, kConvLong, kConvUShort)
VEL_INTEGER_CELL(LongToULong, kConvLong, kConvULong)

VEL_INTEGER_CELL(ULongToBit, kConvULong, kConvBit)
VEL_INTEGER_CELL(ULongToTinyInt, kConvULong, kConvTinyInt)
VEL_INTEGER_CELL(ULongToUTinyInt, kConvULong, kConvUTinyInt)
VEL_INTEGER_CELL(ULongToShort, kConvULong, kConvShort)
VEL_INTEGER_CELL(ULongToUShort, kConvULong, kConvUShort)
VEL_INTEGER_CELL(ULongToLong, kConvULong, kConvLong)

#include "driver/odbc/convert/type_predicates.h"

#include <cstring>

#include "driver/odbc/convert/conv_types.h"

bool IsNumericType(int16_t type) {
  switch (type) {
    case kSqlNumeric:
    case kSqlDecimal:
    case kSqlInteger:
    case kSqlSmallInt:
    case kSqlFloat:
    case kSqlReal:
    case kSqlDouble:
    case kSqlBigInt:
    case kSqlTinyInt:
    case kSqlBit:
      return true;
    default:
      return false;
  }
}

bool IsCharType(int16_t type) {
  return type == kSqlChar || type == kSqlVarChar || type == kSqlLongVarChar;
}

bool IsBinaryType(int16_t type) {
  return type == kSqlBinary || type == kSqlVarBinary || type == kSqlLongVarBinary;
}

bool IsFixedSizeType(int16_t type) {
  return !IsCharType(type) && !IsBinaryType(type) && type != kSqlNumeric && type != kSqlDecimal;
}

bool IsNonStringCType(int16_t type) {
  return type != kSqlChar && type != kSqlBinary;
}

bool TypesCompatible(int16_t a, int16_t b) {
  if (IsCharType(a) && IsCharType(b)) return true;
  return (a == kSqlChar && b == kSqlCDefault) || (a == kSqlCDefault && b == kSqlChar);
}

bool TypeDisplaySize(const void* value, int16_t c_type, uint32_t* size) {
  uint32_t bytes;
  switch (c_type) {
    case kSqlCUTinyInt:
    case kSqlCSTinyInt:
    case kSqlBit:
    case kSqlTinyInt:
      bytes = 1;
      break;
    case kSqlCUShort:
    case kSqlCSShort:
    case kSqlSmallInt:
      bytes = 2;
      break;
    case kSqlCULong:
    case kSqlCSLong:
    case kSqlInteger:
    case kSqlReal:
      bytes = 4;
      break;
    case kSqlDouble:
      bytes = 8;
      break;
    case kSqlDate:
    case kSqlTime:
      bytes = 6;
      break;
    case kSqlTimestamp:
      bytes = 16;
      break;
    case kSqlBinary:
      bytes = 0;
      break;
    case kSqlChar:
      bytes = value != nullptr ? static_cast<uint32_t>(std::strlen(static_cast<const char*>(value)))
                               : 0;
      break;
    default:
      return false;
  }
  if (size != nullptr) *size = bytes;
  return true;
}

uint32_t DisplaySizeOf(const void* value, int16_t c_type) {
  uint32_t size = 0;
  return TypeDisplaySize(value, c_type, &size) ? size : 0;
}

#include "server/fetch_shape.h"

#include <climits>

#include "wire/typed_value.h"

namespace velsrv {

namespace {

int32_t PlusOne(int32_t n) {
  return n < INT32_MAX ? n + 1 : n;
}

int32_t PlusThree(int32_t n) {
  return n < INT32_MAX - 3 ? n + 3 : n;
}

}  // namespace

LnaFetchRequest ClientFetchShape(const LnaColumnDesc& c) {
  switch (c.sql_type) {
    case -1:   // SQL_LONGVARCHAR
    case -10:  // wide long text
      return {kCTypeChar, 31745, 1};
    case -4:  // SQL_LONGVARBINARY
      return {kCTypeBinary, 31744, 1};
    case 1:   // SQL_CHAR
    case 12:  // SQL_VARCHAR
    case -5:  // SQL_BIGINT
    case -8:
    case -9:
      return {kCTypeChar, PlusOne(c.length), 0};
    case -2:  // SQL_BINARY
    case -3:  // SQL_VARBINARY
      return {kCTypeBinary, c.length, 0};
    case -7:  // SQL_BIT
    case -6:  // SQL_TINYINT
    case 5:   // SQL_SMALLINT
      return {kCTypeShort, 2, 0};
    case 2:  // SQL_NUMERIC
    case 3:  // SQL_DECIMAL
      if (c.scale == 0 && c.precision < 5) return {kCTypeShort, 2, 0};
      if (c.scale == 0 && c.precision <= 9) return {kCTypeLong, 4, 0};
      return {kCTypeChar, PlusThree(c.precision), 0};
    case 4:  // SQL_INTEGER
      return {kCTypeLong, 4, 0};
    case 7:  // SQL_REAL
      return {kCTypeFloat, 4, 0};
    case 6:  // SQL_FLOAT
    case 8:  // SQL_DOUBLE
      return {kCTypeDouble, 8, 0};
    case 9:
      return {kCTypeDate, 6, 0};
    case 10:
      return {kCTypeTime, 6, 0};
    case 11:
      return {kCTypeTimestamp, 16, 0};
    default:
      return {0, c.length, 0};
  }
}

}  // namespace velsrv

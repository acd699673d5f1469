#include "wire/fetch_shape.h"

#include <sqlext.h>

#include <algorithm>

#include "wire/column_desc.h"

uint32_t FetchBufferSize(uint32_t column_length, uint32_t extra) {
  uint64_t size = static_cast<uint64_t>(column_length) + extra;
  return static_cast<uint32_t>(std::min<uint64_t>(size, kMaxFetchBuffer));
}

FetchColumnForm SetupFetchColumn(int16_t sql_type, uint32_t length, uint32_t precision,
                                 int16_t scale) {
  switch (sql_type) {
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      return {SQL_C_CHAR, kLongColumnBuffer + 1, true};
    case SQL_LONGVARBINARY:
      return {SQL_C_BINARY, kLongColumnBuffer, true};
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_BIGINT:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      return {SQL_C_CHAR, FetchBufferSize(length, 1), false};
    case SQL_BINARY:
    case SQL_VARBINARY:
      return {SQL_C_BINARY, FetchBufferSize(length, 0), false};
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
      return {SQL_C_SHORT, 2, false};
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      if (scale == 0 || scale == kNoScale) {
        if (precision < 5) return {SQL_C_SHORT, 2, false};
        if (precision <= 9) return {SQL_C_LONG, 4, false};
      }
      return {SQL_C_CHAR, FetchBufferSize(precision, 3), false};
    case SQL_INTEGER:
      return {SQL_C_LONG, 4, false};
    case SQL_REAL:
      return {SQL_C_FLOAT, 4, false};
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return {SQL_C_DOUBLE, 8, false};
    case SQL_DATE:
      return {SQL_C_DATE, sizeof(DATE_STRUCT), false};
    case SQL_TIME:
      return {SQL_C_TIME, sizeof(TIME_STRUCT), false};
    case SQL_TIMESTAMP:
      return {SQL_C_TIMESTAMP, sizeof(TIMESTAMP_STRUCT), false};
    default:
      return {0, FetchBufferSize(length, 0), false};
  }
}

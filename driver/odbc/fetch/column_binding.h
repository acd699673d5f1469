// The application's column bindings (SQLBindCol): where SQLFetch puts each
// column of a row. Column 0 (the bookmark) is kept in the statement itself.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

// One bound column. A null buffer means the column is not bound. The
// lengths are SQLLEN: the indicator receives full 64-bit values, so that
// SQL_NULL_DATA reads as -1 and not as a 32-bit count.
struct ColumnBinding {
  int16_t c_type;
  void* buffer;
  SQLLEN buffer_length;
  SQLLEN* length;
};

// The binding of column `column` (from 1), null when the column has none
// with a buffer.
const ColumnBinding* BoundColumn(const DrvStmt* statement, uint32_t column);
// The highest column number that has a binding with a buffer, 0 when none.
uint32_t HighestBoundColumn(const DrvStmt* statement);

SQLRETURN SQLBindColImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLSMALLINT fCType, SQLPOINTER rgbValue,
                         SQLLEN cbValueMax, SQLLEN* pcbValue);

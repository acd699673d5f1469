// SQLFetch and SQLGetData: moving to the next row and reading its columns.
#pragma once

#include <sql.h>

SQLRETURN SQLFetchImpl(SQLHSTMT hstmt);
SQLRETURN SQLGetDataImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLSMALLINT fCType, SQLPOINTER rgbValue,
                         SQLLEN cbValueMax, SQLLEN* pcbValue);

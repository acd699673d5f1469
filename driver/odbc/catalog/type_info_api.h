// SQLGetTypeInfo, answered from the data types the server announced at
// login.
#pragma once

#include <sql.h>

SQLRETURN SQLGetTypeInfoImpl(SQLHSTMT hstmt, SQLSMALLINT fSqlType);

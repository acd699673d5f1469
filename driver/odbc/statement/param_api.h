// The application's parameters: SQLBindParameter, SQLNumParams and
// SQLDescribeParam.
#pragma once

#include <sql.h>

SQLRETURN SQLBindParameterImpl(SQLHSTMT hstmt, SQLUSMALLINT ipar, SQLSMALLINT fParamType,
                               SQLSMALLINT fCType, SQLSMALLINT fSqlType, SQLULEN cbColDef,
                               SQLSMALLINT ibScale, SQLPOINTER rgbValue, SQLLEN cbValueMax,
                               SQLLEN* pcbValue);
SQLRETURN SQLNumParamsImpl(SQLHSTMT hstmt, SQLSMALLINT* pcpar);
SQLRETURN SQLDescribeParamImpl(SQLHSTMT hstmt, SQLUSMALLINT ipar, SQLSMALLINT* pfSqlType,
                               SQLULEN* pcbColDef, SQLSMALLINT* pibScale, SQLSMALLINT* pfNullable);

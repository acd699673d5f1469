// SQLError: hands out a handle's diagnostics one record per call, each with
// the vendor prefix, removing each record it returns.
#pragma once

#include <sql.h>

struct DiagRecord;

SQLRETURN SQLErrorImpl(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR* szSqlState,
                       SQLINTEGER* pfNativeError, SQLCHAR* szErrorMsg, SQLSMALLINT cbErrorMsgMax,
                       SQLSMALLINT* pcbErrorMsg);

// Copies `record` out as SQLError does. SQL_SUCCESS, SQL_SUCCESS_WITH_INFO
// when the text was cut, SQL_ERROR when a message could not be had (the
// caller then keeps the record).
SQLRETURN ReturnDiagRecord(const DiagRecord* record, SQLCHAR* szSqlState, SQLINTEGER* pfNativeError,
                           SQLCHAR* szErrorMsg, SQLSMALLINT cbErrorMsgMax,
                           SQLSMALLINT* pcbErrorMsg);

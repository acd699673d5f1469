// The workers of SQLConnect, SQLDriverConnect and SQLDisconnect.
#pragma once

#include <sql.h>

SQLRETURN SQLConnectImpl(SQLHDBC hdbc, SQLCHAR* szDSN, SQLSMALLINT cbDSN, SQLCHAR* szUID,
                         SQLSMALLINT cbUID, SQLCHAR* szAuthStr, SQLSMALLINT cbAuthStr);
SQLRETURN SQLDriverConnectImpl(SQLHDBC hdbc, SQLHWND hwnd, SQLCHAR* szConnStrIn,
                               SQLSMALLINT cbConnStrIn, SQLCHAR* szConnStrOut,
                               SQLSMALLINT cbConnStrOutMax, SQLSMALLINT* pcbConnStrOut,
                               SQLUSMALLINT fDriverCompletion);
SQLRETURN SQLDisconnectImpl(SQLHDBC hdbc);

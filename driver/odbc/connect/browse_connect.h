// SQLBrowseConnect: the attributes still needed, call by call, then the
// login.
#pragma once

#include <sql.h>

SQLRETURN SQLBrowseConnectImpl(SQLHDBC hdbc, SQLCHAR* szConnStrIn, SQLSMALLINT cbConnStrIn,
                               SQLCHAR* szConnStrOut, SQLSMALLINT cbConnStrOutMax,
                               SQLSMALLINT* pcbConnStrOut);

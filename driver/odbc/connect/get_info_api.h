// SQLGetInfo and SQLGetFunctions, and the function table a login leaves.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;

SQLRETURN SQLGetInfoImpl(SQLHDBC hdbc, SQLUSMALLINT fInfoType, SQLPOINTER rgbInfoValue,
                         SQLSMALLINT cbInfoValueMax, SQLSMALLINT* pcbInfoValue);
SQLRETURN SQLGetFunctionsImpl(SQLHDBC hdbc, SQLUSMALLINT fFunction, SQLUSMALLINT* pfExists);

// The function table a login leaves: the server's flags, TRUE for every
// function the driver answers itself, FALSE for those it never offers.
void SetFunctionTable(DrvConn* connection, const uint16_t* server_flags);

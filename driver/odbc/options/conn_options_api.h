// SQLSetConnectOption and SQLGetConnectOption: connection options kept on
// the connection, statement options set for every statement and as the
// defaults of new ones, and everything not refused sent to the server.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;

SQLRETURN SQLSetConnectOptionImpl(SQLHDBC hdbc, SQLUSMALLINT option, SQLULEN value);
SQLRETURN SQLGetConnectOptionImpl(SQLHDBC hdbc, SQLUSMALLINT option, SQLPOINTER out);

// The work of SQLSetConnectOption without its trace and without clearing
// the connection's diagnostics: the connect and disconnect paths set
// options through it. `value` is a number, or the address of a text for
// SQL_TRANSLATE_DLL, SQL_CURRENT_QUALIFIER and SQL_OPT_TRACEFILE.
SQLRETURN ApplyConnectOption(DrvConn* connection, uint16_t option, SQLULEN value);

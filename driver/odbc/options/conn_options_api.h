// SQLSetConnectOption and SQLGetConnectOption, and the one place that
// applies a connection option: connection options kept on the connection,
// statement options set for every statement and as the defaults of new ones,
// everything not refused sent to the server, and the options a login brings
// (those set before it, the data source's translation library).
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

// Applies every pending option in order as SQLSetConnectOption would,
// keeping it locally and sending it to the server, and destroys the list. Diagnostics
// already on the connection stay; SQL_SUCCESS, or SQL_SUCCESS_WITH_INFO
// when an option did not succeed plainly.
SQLRETURN ReplayPendingOptions(DrvConn* connection);
// After a login: applies the data source's "TranslationDLL" and
// "TranslationOption" keys as connection options. SQL_SUCCESS,
// SQL_SUCCESS_WITH_INFO, or SQL_ERROR from the option that failed.
SQLRETURN LoadTranslationOptions(DrvConn* connection);

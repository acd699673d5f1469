// Exports of connecting, connection options, information and transactions.
#include <sql.h>
#include <sqlext.h>

#include "driver/odbc/export_guard.h"
#include "driver/odbc/not_capable.h"

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC hdbc, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                             SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC hdbc, SQLHWND, SQLCHAR*, SQLSMALLINT,
                                                   SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                                                   SQLUSMALLINT) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLBrowseConnect(SQLHDBC hdbc, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                                   SQLSMALLINT, SQLSMALLINT*) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC hdbc) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC hdbc, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT,
                                             SQLSMALLINT*) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetFunctions(SQLHDBC hdbc, SQLUSMALLINT, SQLUSMALLINT*) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC hdbc, SQLUSMALLINT, SQLULEN) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetConnectOption(SQLHDBC hdbc, SQLUSMALLINT, SQLPOINTER) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLTransact(SQLHENV henv, SQLHDBC hdbc, SQLUSMALLINT) {
  if (!DrvAttached()) return SQL_ERROR;
  if (hdbc != SQL_NULL_HDBC) return GuardConn(hdbc, [&] { return NotCapableOnConn(hdbc); });
  return GuardEnv(henv, [&] { return NotCapableOnEnv(henv); });
}

// Exports of connecting, connection options, information and transactions.
#include <sql.h>
#include <sqlext.h>

#include "driver/odbc/api/drv_entry.h"
#include "driver/odbc/connect/browse_connect.h"
#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/connect/connect_dialog.h"
#include "driver/odbc/connect/get_info_api.h"
#include "driver/odbc/core/export_guard.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/options/transact.h"

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC hdbc, SQLCHAR* szDSN, SQLSMALLINT cbDSN,
                                             SQLCHAR* szUID, SQLSMALLINT cbUID, SQLCHAR* szAuthStr,
                                             SQLSMALLINT cbAuthStr) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(
      hdbc, [&] { return SQLConnectImpl(hdbc, szDSN, cbDSN, szUID, cbUID, szAuthStr, cbAuthStr); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC hdbc, SQLHWND hwnd, SQLCHAR* szConnStrIn,
                                                   SQLSMALLINT cbConnStrIn, SQLCHAR* szConnStrOut,
                                                   SQLSMALLINT cbConnStrOutMax,
                                                   SQLSMALLINT* pcbConnStrOut,
                                                   SQLUSMALLINT fDriverCompletion) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] {
    return SQLDriverConnectImpl(hdbc, hwnd, szConnStrIn, cbConnStrIn, szConnStrOut, cbConnStrOutMax,
                                pcbConnStrOut, fDriverCompletion);
  });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLBrowseConnect(SQLHDBC hdbc, SQLCHAR* szConnStrIn,
                                                   SQLSMALLINT cbConnStrIn, SQLCHAR* szConnStrOut,
                                                   SQLSMALLINT cbConnStrOutMax,
                                                   SQLSMALLINT* pcbConnStrOut) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] {
    return SQLBrowseConnectImpl(hdbc, szConnStrIn, cbConnStrIn, szConnStrOut, cbConnStrOutMax,
                                pcbConnStrOut);
  });
}

// The logon dialog's procedure, exported as the dialog layer expects it.
VEL_ODBC_EXPORT DlgResult ConnectDlg(DlgHwnd dialog, uint32_t message, DlgWParam wparam,
                                     DlgLParam lparam) {
  return ConnectDlgProc(dialog, message, wparam, lparam);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC hdbc) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return SQLDisconnectImpl(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC hdbc, SQLUSMALLINT fInfoType,
                                             SQLPOINTER rgbInfoValue, SQLSMALLINT cbInfoValueMax,
                                             SQLSMALLINT* pcbInfoValue) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] {
    return SQLGetInfoImpl(hdbc, fInfoType, rgbInfoValue, cbInfoValueMax, pcbInfoValue);
  });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetFunctions(SQLHDBC hdbc, SQLUSMALLINT fFunction,
                                                  SQLUSMALLINT* pfExists) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return SQLGetFunctionsImpl(hdbc, fFunction, pfExists); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC hdbc, SQLUSMALLINT fOption,
                                                      SQLULEN vParam) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return SQLSetConnectOptionImpl(hdbc, fOption, vParam); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetConnectOption(SQLHDBC hdbc, SQLUSMALLINT fOption,
                                                      SQLPOINTER pvParam) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return SQLGetConnectOptionImpl(hdbc, fOption, pvParam); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLTransact(SQLHENV henv, SQLHDBC hdbc, SQLUSMALLINT fType) {
  if (!DrvAttached()) return SQL_ERROR;
  if (hdbc != SQL_NULL_HDBC)
    return GuardConn(hdbc, [&] { return SQLTransactImpl(henv, hdbc, fType); });
  return GuardEnv(henv, [&] { return SQLTransactImpl(henv, hdbc, fType); });
}

// Exports of the environment and connection handles, SQLError and SQLDummy.
#include <sql.h>
#include <sqlext.h>

#include "driver/odbc/api/drv_entry.h"
#include "driver/odbc/connect/conn_handle.h"
#include "driver/odbc/connect/env_handle.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/export_guard.h"
#include "driver/odbc/diag/sql_error.h"

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLAllocEnv(SQLHENV* phenv) {
  if (!DrvAttached()) return RefuseNewHandle(phenv);
  return Guarded([] {}, [&] { return SQLAllocEnvImpl(phenv); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLFreeEnv(SQLHENV henv) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardEnv(henv, [&] { return SQLFreeEnvImpl(henv); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLAllocConnect(SQLHENV henv, SQLHDBC* phdbc) {
  if (!DrvAttached()) return RefuseNewHandle(phdbc);
  return GuardEnv(henv, [&] { return SQLAllocConnectImpl(henv, phdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLFreeConnect(SQLHDBC hdbc) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardConn(hdbc, [&] { return SQLFreeConnectImpl(hdbc); });
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLError(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt,
                                           SQLCHAR* szSqlState, SQLINTEGER* pfNativeError,
                                           SQLCHAR* szErrorMsg, SQLSMALLINT cbErrorMsgMax,
                                           SQLSMALLINT* pcbErrorMsg) {
  if (!DrvAttached()) return SQL_ERROR;
  // SQLError posts nothing of its own, not even for a shortage of memory.
  return Guarded([] {},
                 [&] {
                   return SQLErrorImpl(henv, hdbc, hstmt, szSqlState, pfNativeError, szErrorMsg,
                                       cbErrorMsgMax, pcbErrorMsg);
                 });
}

// An empty entry the driver has always exported.
VEL_ODBC_EXPORT void SQLDummy(void) {}

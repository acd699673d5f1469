#include "driver/odbc/not_capable.h"

#include "driver/odbc/diag.h"
#include "driver/odbc/drv_conn.h"
#include "driver/odbc/drv_env.h"
#include "driver/odbc/drv_stmt.h"
#include "driver/odbc/message_ids.h"

SQLRETURN NotCapableOnEnv(SQLHENV henv) {
  auto* env = static_cast<DrvEnv*>(henv);
  if (env == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(env, nullptr, nullptr);
  PostEnvError(env, kMsgErrDriverIncapable, 0, nullptr);
  return SQL_ERROR;
}

SQLRETURN NotCapableOnConn(SQLHDBC hdbc) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(nullptr, connection, nullptr);
  PostDbcError(connection, kMsgErrDriverIncapable, 0, nullptr);
  return SQL_ERROR;
}

SQLRETURN NotCapableOnStmt(SQLHSTMT hstmt) {
  auto* statement = static_cast<DrvStmt*>(hstmt);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(nullptr, nullptr, statement);
  PostStmtError(statement, kMsgErrDriverIncapable, 0, nullptr);
  return SQL_ERROR;
}

#include "driver/odbc/options/transact.h"

#include <sqlext.h>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/diag/trace_addr.h"

namespace {

SQLRETURN DrvCommit(DrvConn* connection) {
  return DrvMapRpcStatus(connection, LnaTransactSP(connection->lna, SQL_COMMIT));
}

SQLRETURN DrvRollback(DrvConn* connection) {
  return DrvMapRpcStatus(connection, LnaTransactSP(connection->lna, SQL_ROLLBACK));
}

}  // namespace

SQLRETURN SQLTransactImpl(SQLHENV henv, SQLHDBC hdbc, SQLUSMALLINT type) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) {
    // Ending the work of every connection of an environment is the driver
    // manager's: it calls once per connection.
    auto* env = static_cast<DrvEnv*>(henv);
    if (env == nullptr) return SQL_INVALID_HANDLE;
    ClearHandleErrors(env, nullptr, nullptr);
    PostEnvError(env, kMsgErrDriverIncapable, 0, nullptr);
    return SQL_ERROR;
  }
  TraceHandle* trace = connection->trace;
  TraceEnter(trace, "SQLTransact(0x%08lx)", TraceAddr(hdbc));
  ClearHandleErrors(nullptr, connection, nullptr);
  SQLRETURN result;
  if (connection->state < kConnConnected) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    result = SQL_ERROR;
  } else {
    result = type == SQL_COMMIT ? DrvCommit(connection) : DrvRollback(connection);
  }
  if (result != SQL_ERROR)
    connection->state = ArrCount(connection->statements) > 0 ? kConnWithStmts : kConnConnected;
  TraceReturn(trace, "SQLTransact", result);
  return result;
}

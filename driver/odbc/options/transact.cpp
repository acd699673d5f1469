#include "driver/odbc/options/transact.h"

#include <sqlext.h>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/handle_entry.h"
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

SQLRETURN Transact(DrvConn* connection, SQLUSMALLINT type) {
  SQLRETURN result;
  if (connection->state < kConnConnected) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    result = SQL_ERROR;
  } else {
    result = type == SQL_COMMIT ? DrvCommit(connection) : DrvRollback(connection);
  }
  if (result != SQL_ERROR)
    connection->state = ArrCount(connection->statements) > 0 ? kConnWithStmts : kConnConnected;
  return result;
}

}  // namespace

SQLRETURN SQLTransactImpl(SQLHENV henv, SQLHDBC hdbc, SQLUSMALLINT type) {
  if (hdbc == SQL_NULL_HDBC) {
    // Ending the work of every connection of an environment is the driver
    // manager's: it calls once per connection.
    return EnvEntry(henv, [](DrvEnv* env) -> SQLRETURN {
      PostEnvError(env, kMsgErrDriverIncapable, 0, nullptr);
      return SQL_ERROR;
    });
  }
  return ConnectionEntry(
      hdbc, "SQLTransact",
      [&](TraceHandle* trace) { TraceEnter(trace, "SQLTransact(0x%08lx)", TraceAddr(hdbc)); },
      [&](DrvConn* connection) { return Transact(connection, type); });
}

#include "driver/odbc/core/stmt_state.h"

#include <sqlext.h>

#include "common/rec_array.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"

bool StmtIsAsync(const DrvStmt* statement) {
  return statement->options.slot[kOptAsyncEnable] == SQL_ASYNC_ENABLE_ON;
}

int ConnHasPendingAsyncCall(const DrvConn* connection) {
  if (connection == nullptr || connection->statements == nullptr) return 0;
  for (uint32_t i = 0; i < connection->statements->count; ++i) {
    auto* statement = *static_cast<DrvStmt* const*>(ArrAt(connection->statements, i));
    if (statement != nullptr && statement->options.slot[kOptAsyncEnable] == 1 &&
        statement->pending_function != 0) {
      return 1;
    }
  }
  return 0;
}

void StmtSaveState(StmtSnapshot* snapshot, const DrvStmt* statement) {
  snapshot->saved = *statement;
}

void StmtRestoreState(const StmtSnapshot* snapshot, DrvStmt* statement, SQLRETURN code) {
  switch (code) {
    case SQL_SUCCESS:
    case SQL_SUCCESS_WITH_INFO:
    case SQL_STILL_EXECUTING:
    case SQL_NEED_DATA:
      return;
    default:
      break;
  }
  const DrvStmt& saved = snapshot->saved;
  statement->state = saved.state;
  statement->result_class = saved.result_class;
  statement->result_kind = saved.result_kind;
  statement->prepared = saved.prepared;
  statement->marker_count = saved.marker_count;
  statement->row_count = saved.row_count;
  statement->fetch_status = saved.fetch_status;
}

void StmtResetFetchState(DrvStmt* statement) {
  statement->row_count = 0;
  statement->fetch_status = 0;
  if (statement->state >= kStmtExecuted)
    statement->state = statement->prepared ? kStmtPrepared : kStmtAllocated;
}

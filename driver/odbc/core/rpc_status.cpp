#include "driver/odbc/core/rpc_status.h"

#include <sqlext.h>

#include "driver/lna/lna_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"

namespace {

// Posts the call layer's waiting diagnostics through `post`; the number
// posted.
template <typename Post>
uint16_t PostWaiting(LnaConnection* conn, LnaStatement* stmt, Post post) {
  if (conn == nullptr) return 0;
  LnaDiagRecord records[kLnaMaxDiagnostics] = {};
  uint16_t count = 0;
  LnaGetDiagnostics(conn, stmt, records, &count);
  if (count > kLnaMaxDiagnostics) count = kLnaMaxDiagnostics;
  for (uint16_t i = 0; i < count; ++i) {
    LnaDiagRecord& record = records[i];
    record.sqlstate[sizeof record.sqlstate - 1] = '\0';
    record.text[sizeof record.text - 1] = '\0';
    post(record);
  }
  return count;
}

// Statuses that are neither errors nor waiting diagnostics.
bool MapPlain(int16_t status, SQLRETURN* result) {
  switch (status) {
    case kLnaOk:
      *result = SQL_SUCCESS;
      return true;
    case kLnaStillExecuting:
      *result = SQL_STILL_EXECUTING;
      return true;
    case kLnaNeedData:
      *result = SQL_NEED_DATA;
      return true;
    case kLnaNoData:
      *result = SQL_NO_DATA_FOUND;
      return true;
    default:
      return false;
  }
}

template <typename Post, typename PostNumber>
SQLRETURN Map(int16_t status, LnaConnection* conn, LnaStatement* stmt, Post post,
              PostNumber post_number) {
  SQLRETURN result = SQL_ERROR;
  if (MapPlain(status, &result)) return result;
  switch (status) {
    case kLnaInfo:
      PostWaiting(conn, stmt, post);
      return SQL_SUCCESS_WITH_INFO;
    case kLnaFailed:
    case kLnaServerError:
    case kLnaNoRecord:
      PostWaiting(conn, stmt, post);
      return SQL_ERROR;
    case kLnaNoMemory:
      post_number(kMsgErrOutOfMemory);
      return SQL_ERROR;
    default:
      // A status nobody knows must not pass for success: a failed login
      // would look connected.
      if (PostWaiting(conn, stmt, post) == 0) post_number(kMsgErrGeneric);
      return SQL_ERROR;
  }
}

}  // namespace

SQLRETURN DrvMapRpcStatus(DrvConn* connection, int16_t status) {
  return Map(
      status, connection->lna, nullptr,
      [&](const LnaDiagRecord& r) {
        PostDbcStateError(connection, r.sqlstate, r.native_error, r.text);
      },
      [&](uint32_t number) { PostDbcError(connection, number, 0, nullptr); });
}

SQLRETURN DrvStmtStatus(DrvStmt* statement, int16_t status) {
  LnaConnection* conn = statement->conn != nullptr ? statement->conn->lna : nullptr;
  return Map(
      status, conn, statement->lna,
      [&](const LnaDiagRecord& r) {
        PostStmtStateError(statement, r.sqlstate, r.native_error, r.text);
      },
      [&](uint32_t number) { PostStmtError(statement, number, 0, nullptr); });
}

#include "driver/odbc/options/conn_options_api.h"

#include <sqlext.h>

#include <cstring>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/diag/diag.h"
#include "driver/odbc/diag/message_ids.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/options/conn_option_kind.h"
#include "driver/odbc/options/drv_options.h"
#include "driver/odbc/options/option_store.h"
#include "driver/odbc/options/stmt_options_api.h"
#include "driver/odbc/statement/drv_stmt.h"

namespace {

constexpr uint16_t kFirstConnOption = SQL_ACCESS_MODE;
constexpr uint16_t kLastConnOption = SQL_PACKET_SIZE;
constexpr uint16_t kLastStmtOption = SQL_ROW_NUMBER;

DrvStmt* StatementAt(const DrvConn* connection, uint32_t index) {
  return *static_cast<DrvStmt**>(ArrAt(connection->statements, index));
}

bool AnyStatementPending(const DrvConn* connection) {
  for (uint32_t i = 0; i < ArrCount(connection->statements); ++i)
    if (StatementAt(connection, i)->pending) return true;
  return false;
}

// Values the driver cannot pass on as given: a missing or overlong text,
// or a number wider than the 32 bits the server receives.
bool ValueUsable(uint16_t option, SQLULEN value) {
  if (ConnOptionIsText(option)) {
    if (value == 0) return false;
    if (option == SQL_TRANSLATE_DLL) return true;
    return strnlen(reinterpret_cast<const char*>(value), kOptionTextSize) < kOptionTextSize;
  }
  return option == SQL_QUIET_MODE || value <= 0xFFFFFFFFu;
}

}  // namespace

SQLRETURN ApplyConnectOption(DrvConn* connection, uint16_t option, SQLULEN value) {
  if (connection->statements == nullptr) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  if (AnyStatementPending(connection)) {
    PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
    return SQL_ERROR;
  }
  if (option == SQL_TXN_ISOLATION && connection->state >= kConnInTransaction) {
    PostDbcError(connection, kMsgErrInvalOperation, 0, nullptr);
    return SQL_ERROR;
  }
  if (!ValueUsable(option, value)) {
    PostDbcError(connection, kMsgErrInvalArg, 0, nullptr);
    return SQL_ERROR;
  }
  bool warning = false;
  if (option <= kLastStmtOption) {
    for (uint32_t i = 0; i < ArrCount(connection->statements); ++i) {
      SQLRETURN applied = ApplyStmtOption(StatementAt(connection, i), option, value);
      if (applied == SQL_ERROR) return SQL_ERROR;
      if (applied == SQL_SUCCESS_WITH_INFO) warning = true;
    }
  }
  SQLRETURN sent = DrvSetConnectOption(connection, option, value);
  if (sent == SQL_ERROR) return SQL_ERROR;
  if (sent == SQL_SUCCESS_WITH_INFO) warning = true;
  SQLRETURN result = SQL_SUCCESS;
  if (option >= kFirstConnOption && option <= kLastConnOption) {
    result = StoreConnectOption(option, connection, value);
  } else if (option <= SQL_USE_BOOKMARKS) {
    StoreStmtOption(option, &connection->stmt_defaults, static_cast<uint32_t>(value));
  }
  if (result == SQL_SUCCESS && warning) result = SQL_SUCCESS_WITH_INFO;
  return result;
}

SQLRETURN SQLSetConnectOptionImpl(SQLHDBC hdbc, SQLUSMALLINT option, SQLULEN value) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  TraceHandle* trace = connection->trace;
  TraceEnter(trace, "SQLSetConnectOption(0x%08lx, %u, %lu)", TraceAddr(hdbc),
             static_cast<unsigned>(option), static_cast<unsigned long>(value));
  ClearHandleErrors(nullptr, connection, nullptr);
  SQLRETURN result = ApplyConnectOption(connection, option, value);
  TraceReturn(trace, "SQLSetConnectOption", result);
  return result;
}

SQLRETURN SQLGetConnectOptionImpl(SQLHDBC hdbc, SQLUSMALLINT option, SQLPOINTER out) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  TraceHandle* trace = connection->trace;
  TraceEnter(trace, "SQLGetConnectOption(0x%08lx, %u, 0x%08lx)", TraceAddr(hdbc),
             static_cast<unsigned>(option), TraceAddr(out));
  ClearHandleErrors(nullptr, connection, nullptr);
  SQLRETURN result = SQL_SUCCESS;
  if (AnyStatementPending(connection)) {
    PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
    result = SQL_ERROR;
  } else if (out == nullptr) {
    result = SQL_SUCCESS;
  } else if (option >= kFirstConnOption && option <= kLastConnOption) {
    ReadConnectOption(option, connection, out);
  } else {
    result = DrvGetConnectOption(connection, option, out);
  }
  TraceReturn(trace, "SQLGetConnectOption", result);
  return result;
}

#include "driver/odbc/statement/stmt_handle.h"

#include <sqlext.h>

#include <cstring>
#include <new>

#include "common/memory.h"
#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/statement/exec_params.h"
#include "driver/odbc/statement/param_binding.h"

namespace {

constexpr uint32_t kStatementGrowth = 4;

void FreeRecord(DrvStmt* statement) {
  MemFree(statement->prepared_text);
  statement->~DrvStmt();
  MemFree(statement);
}

SQLRETURN DropStatement(DrvStmt* statement) {
  DrvConn* connection = statement->conn;
  FreeParamBindings(statement);
  uint32_t index = 0;
  if (connection->statements == nullptr) return SQL_ERROR;
  bool listed = ArrFind(connection->statements, &statement, &index) == kArrOk;
  SQLRETURN result = DrvDropStmt(statement);
  if (result == SQL_ERROR) return result;
  DrvResetStmt(statement);
  FreeStmtParamBuffers(statement);
  RecArray* diagnostics = statement->diagnostics;
  RecArray* bindings = statement->column_bindings;
  FreeRecord(statement);
  if (listed) ArrRemoveAt(connection->statements, index);
  RenewStmtList(connection);
  if (connection->statements != nullptr && ArrCount(connection->statements) == 0)
    connection->state = kConnConnected;
  DestroyDiagList(diagnostics);
  ArrDestroy(bindings);
  return result;
}

void Unbind(DrvStmt* statement) {
  ArrDestroy(statement->column_bindings);
  statement->column_bindings = nullptr;
  statement->bookmark = BookmarkBinding{};
}

void ResetParams(DrvStmt* statement) {
  FreeStmtParamBuffers(statement);
  RecArray* bindings = statement->param_bindings;
  for (uint32_t i = 0; bindings != nullptr && i < ArrCount(bindings); ++i)
    static_cast<ParamBinding*>(ArrAt(bindings, i))->flags &= static_cast<uint16_t>(~kParamBound);
  statement->param_row_count = 1;
  statement->row_counter = nullptr;
}

}  // namespace

SQLRETURN DrvAllocStmt(DrvConn* connection, DrvStmt** statement) {
  *statement = nullptr;
  void* block = MemAlloc(sizeof(DrvStmt));
  if (block == nullptr) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  auto* made = new (block) DrvStmt{};
  made->conn = connection;
  made->option_mask = connection->stmt_option_mask;
  made->data_at_exec_param = -1;
  LnaStatement* lna = nullptr;
  SQLRETURN result = DrvMapRpcStatus(connection, LnaAllocStmtSP(connection->lna, &lna));
  if (result == SQL_ERROR || lna == nullptr) {
    if (result != SQL_ERROR) PostDbcError(connection, kMsgErrGeneric, 0, nullptr);
    FreeRecord(made);
    return SQL_ERROR;
  }
  made->lna = lna;
  *statement = made;
  return result;
}

SQLRETURN DrvDropStmt(DrvStmt* statement) {
  if (statement->lna == nullptr) return SQL_SUCCESS;
  SQLRETURN result = DrvStmtStatus(statement, LnaFreeStmtSP(statement->lna, SQL_DROP));
  if (result != SQL_ERROR) statement->lna = nullptr;
  return result;
}

SQLRETURN DrvCloseStmt(DrvStmt* statement) {
  if (statement->lna == nullptr) return SQL_SUCCESS;
  return DrvStmtStatus(statement, LnaFreeStmtSP(statement->lna, SQL_CLOSE));
}

void RenewStmtList(DrvConn* connection) {
  if (connection->statements == nullptr || ArrCount(connection->statements) != 0) return;
  RecArray* fresh = ArrCreate(kStatementGrowth, sizeof(DrvStmt*), 1, 0);
  if (fresh == nullptr) return;  // the empty list stays in use
  ArrDestroy(connection->statements);
  connection->statements = fresh;
}

namespace {

SQLRETURN AllocStmt(DrvConn* connection, SQLHSTMT* phstmt) {
  if (phstmt == nullptr) {
    PostDbcError(connection, kMsgErrInvalArg, 0, nullptr);
    return SQL_ERROR;
  }
  *phstmt = SQL_NULL_HSTMT;
  if (connection->state < kConnConnected) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    return SQL_ERROR;
  }
  DrvStmt* statement = nullptr;
  SQLRETURN result = DrvAllocStmt(connection, &statement);
  if (result == SQL_ERROR) return result;

  statement->diagnostics = CreateDiagList();
  statement->state = kStmtAllocated;
  statement->param_row_count = 1;
  if (connection->state < kConnWithStmts) connection->state = kConnWithStmts;
  statement->options = connection->stmt_defaults;
  LnaSetQueryTimeout(statement->lna, statement->options.slot[kOptQueryTimeout]);
  statement->cursor_name[0] = '\0';
  if (statement->diagnostics == nullptr || connection->statements == nullptr ||
      ArrAppend(connection->statements, &statement) != kArrOk) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    if (DropStatement(statement) == SQL_ERROR) {
      // The call layer frees a statement it could not drop with its
      // connection; the half-made record goes now.
      DestroyDiagList(statement->diagnostics);
      FreeRecord(statement);
    }
    if (connection->statements != nullptr && ArrCount(connection->statements) == 0)
      connection->state = kConnConnected;
    return SQL_ERROR;
  }
  *phstmt = statement;
  return result;
}

SQLRETURN FreeStmt(DrvStmt* statement, SQLUSMALLINT option) {
  if (StmtIsAsync(statement) && statement->pending) {
    PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
    return SQL_ERROR;
  }
  SQLRETURN result = SQL_SUCCESS;
  switch (option) {
    case SQL_CLOSE:
      result = DrvCloseStmt(statement);
      if (result != SQL_ERROR) StmtResetFetchState(statement);
      break;
    case SQL_DROP:
      result = DropStatement(statement);
      break;
    case SQL_UNBIND:
      Unbind(statement);
      break;
    case SQL_RESET_PARAMS:
      ResetParams(statement);
      break;
    default:
      break;
  }
  return result;
}

}  // namespace

// A statement call made on the connection: the statement does not exist yet,
// and its errors go to the connection.
SQLRETURN SQLAllocStmtImpl(SQLHDBC hdbc, SQLHSTMT* phstmt) {
  return ConnectionEntry(
      hdbc, "SQLAllocStmt",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLAllocStmt(0x%08lx, 0x%08lx)", TraceAddr(hdbc), TraceAddr(phstmt));
      },
      [&](DrvConn* connection) { return AllocStmt(connection, phstmt); });
}

SQLRETURN SQLFreeStmtImpl(SQLHSTMT hstmt, SQLUSMALLINT option) {
  return StatementEntry(
      hstmt, "SQLFreeStmt",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLFreeStmt(0x%08lx, %u)", TraceAddr(hstmt),
                   static_cast<unsigned>(option));
      },
      [&](DrvStmt* statement) { return FreeStmt(statement, option); });
}

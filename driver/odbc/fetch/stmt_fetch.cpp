#include "driver/odbc/fetch/stmt_fetch.h"

#include <sqlext.h>

#include <algorithm>
#include <optional>

#include "common/shared_mutex.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/column_data.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/fetch_buffers.h"
#include "driver/odbc/fetch/local_rows.h"
#include "driver/odbc/fetch/result_set.h"

namespace {

SQLRETURN Refuse(DrvStmt* statement, uint32_t message) {
  PostStmtError(statement, message, 0, nullptr);
  return SQL_ERROR;
}

SQLRETURN EndOfRows(DrvStmt* statement) {
  statement->state = kStmtExecuted;
  statement->fetch_status = 2;
  return SQL_NO_DATA_FOUND;
}

bool IsLocalKind(const DrvStmt* statement) {
  return statement->result_kind == kLocalTableTypes || statement->result_kind == kLocalTypeList;
}

// Steps before the call layer is asked: refusals and the ends a fetch can
// see without asking. SQL_SUCCESS to go on.
SQLRETURN CheckFetch(DrvStmt* statement) {
  if (statement->result_class < kResultRows) {
    PostStmtError(statement, kMsgErrInvalCursorState, 0, nullptr);
    return SQL_ERROR;
  }
  if (statement->bookmark.buffer != nullptr ||
      HighestBoundColumn(statement) > DescribedColumnCount(statement)) {
    PostStmtError(statement, kMsgErrInvalColumn, 0, nullptr);
    return SQL_ERROR;
  }
  uint32_t max_rows = statement->options.slot[kOptMaxRows];
  if ((max_rows != 0 && statement->row_count >= max_rows) || statement->fetch_status == 2)
    return SQL_NO_DATA_FOUND;
  return SQL_SUCCESS;
}

SQLRETURN TransferBoundColumns(DrvStmt* statement) {
  ClearRetrievalState(statement);
  statement->data_column = 0;
  ++statement->row_count;
  statement->state = kStmtOnRow;
  SQLRETURN result = SQL_SUCCESS;
  uint32_t columns = DescribedColumnCount(statement);
  uint32_t highest = std::min(HighestBoundColumn(statement), columns);
  // A row whose bound values all came with it is converted under one hold
  // of the conversion lock; one that needs long data from the server is not,
  // as the lock is never held across a remote call.
  bool whole_row =
      statement->result_kind != kLocalTypeList && statement->result_kind != kLocalTableTypes;
  for (uint32_t i = 1; whole_row && i <= highest; ++i)
    whole_row = BoundColumn(statement, i) == nullptr ||
                LnaColumnFetched(statement->lna, static_cast<uint16_t>(i)) != 0;
  std::optional<SharedMutexHold> hold;
  if (whole_row) hold.emplace(ConvLock());
  statement->converting_row = whole_row ? 1 : 0;
  for (uint32_t i = 1; i <= highest; ++i) {
    const ColumnBinding* binding = BoundColumn(statement, i);
    if (binding == nullptr) continue;
    SQLRETURN code = GetColumnData(statement, static_cast<uint16_t>(i), binding->c_type,
                                   binding->buffer, binding->buffer_length, binding->length, true);
    if (code == SQL_ERROR || code == SQL_STILL_EXECUTING || code == SQL_INVALID_HANDLE) {
      result = code;
      break;
    }
    if (code == SQL_SUCCESS_WITH_INFO) result = SQL_SUCCESS_WITH_INFO;
  }
  statement->converting_row = 0;
  return result;
}

// SQLFetch inside its statement shell: the next row, from the server or
// from a local list, into the bound columns.
SQLRETURN FetchRow(DrvStmt* statement) {
  bool resuming = false;
  if (StmtIsAsync(statement) && statement->pending != 0) {
    if (statement->pending_function != SQL_API_SQLFETCH)
      return Refuse(statement, kMsgErrOutOfSequence);
    resuming = true;
  }
  if (!resuming) {
    SQLRETURN checked = CheckFetch(statement);
    if (checked == SQL_NO_DATA_FOUND) return EndOfRows(statement);
    if (checked != SQL_SUCCESS) return checked;
    if (IsLocalKind(statement)) {
      if (!NextLocalRow(statement)) return EndOfRows(statement);
      // The row count already stands on the new row.
      --statement->row_count;
      return TransferBoundColumns(statement);
    }
  }

  SQLRETURN code = DrvFetch(statement);
  if (code == SQL_STILL_EXECUTING) {
    statement->pending = 1;
    statement->pending_function = SQL_API_SQLFETCH;
    return code;
  }
  if (code == SQL_ERROR && statement->pending != 0) StmtResetFetchState(statement);
  statement->pending = 0;
  statement->pending_function = 0;
  if (code == SQL_NO_DATA_FOUND || statement->fetch_status == 1) {
    statement->state = kStmtExecuted;
    statement->fetch_status = 2;
  }
  if (code != SQL_SUCCESS && code != SQL_SUCCESS_WITH_INFO) return code;
  SQLRETURN transfer = TransferBoundColumns(statement);
  if (transfer == SQL_SUCCESS && code == SQL_SUCCESS_WITH_INFO) transfer = code;
  return transfer;
}

}  // namespace

SQLRETURN SQLFetchImpl(SQLHSTMT hstmt) {
  return StatementEntry(
      hstmt, "SQLFetch",
      [&](TraceHandle* trace) { TraceEnter(trace, "SQLFetch(0x%08lx)", TraceAddr(hstmt)); },
      FetchRow);
}

SQLRETURN SQLGetDataImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLSMALLINT fCType, SQLPOINTER rgbValue,
                         SQLLEN cbValueMax, SQLLEN* pcbValue) {
  return StatementEntry(
      hstmt, kKeepDiagnostics, "SQLGetData",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetData(0x%08lx, %u, %d, 0x%08lx, %ld, 0x%08lx)", TraceAddr(hstmt),
                   static_cast<unsigned>(icol), static_cast<int>(fCType), TraceAddr(rgbValue),
                   static_cast<long>(cbValueMax), TraceAddr(pcbValue));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        // A resumed call keeps the diagnostics of its earlier turns.
        bool resuming = StmtIsAsync(statement) && statement->pending != 0;
        if (!resuming) ClearHandleErrors(nullptr, nullptr, statement);
        if (icol == 0 || icol > DescribedColumnCount(statement))
          return Refuse(statement, kMsgErrInvalColumn);
        // Without a current row there is no value to read.
        if (statement->state != kStmtOnRow) return Refuse(statement, kMsgErrInvalCursorState);
        if (statement->data_column != icol) {
          // Moving to another column abandons what was left of the previous one.
          ResetRetrieval(statement, statement->data_column);
          statement->data_column = icol;
        }
        return GetColumnData(statement, icol, fCType, rgbValue, cbValueMax, pcbValue, false);
      });
}

#include "driver/odbc/options/stmt_options_api.h"

#include <sqlext.h>

#include "common/trace.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/options/option_store.h"
#include "driver/odbc/options/remote_options.h"

namespace {

constexpr uint16_t kFetchDone = 2;

SQLRETURN Fail(DrvStmt* statement, uint32_t message) {
  PostStmtError(statement, message, 0, nullptr);
  return SQL_ERROR;
}

// Cursor options change what an open or prepared statement would return.
bool IsCursorOption(uint16_t option) {
  return option == SQL_CURSOR_TYPE || option == SQL_CONCURRENCY || option == SQL_SIMULATE_CURSOR ||
         option == SQL_USE_BOOKMARKS;
}

}  // namespace

SQLRETURN ApplyStmtOption(DrvStmt* statement, uint16_t option, SQLULEN value) {
  if (statement->pending) return Fail(statement, kMsgErrOutOfSequence);
  if (IsCursorOption(option)) {
    if (statement->state == kStmtResultOpen || statement->state == kStmtOnRow)
      return Fail(statement, kMsgErrInvalCursorState);
    if (statement->state == kStmtPrepared || statement->state == kStmtExecuted)
      return Fail(statement, kMsgErrInvalOperation);
  }
  if (option == SQL_GET_BOOKMARK || option == SQL_ROW_NUMBER)
    return Fail(statement, kMsgErrDriverIncapable);
  // The server receives 32 bits.
  if (value > 0xFFFFFFFFu) return Fail(statement, kMsgErrInvalArg);
  const auto number = static_cast<uint32_t>(value);
  SQLRETURN result = DrvSetStmtOption(statement, option, number);
  if (result != SQL_ERROR) StoreStmtOption(option, &statement->options, number);
  // The query timeout also bounds the wait for each reply of the statement.
  if (result != SQL_ERROR && option == SQL_QUERY_TIMEOUT)
    LnaSetQueryTimeout(statement->lna, statement->options.slot[kOptQueryTimeout]);
  return result;
}

SQLRETURN SQLSetStmtOptionImpl(SQLHSTMT hstmt, SQLUSMALLINT option, SQLULEN value) {
  return StatementEntry(
      hstmt, "SQLSetStmtOption",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLSetStmtOption(0x%08lx, %u, %lu)", TraceAddr(hstmt),
                   static_cast<unsigned>(option), static_cast<unsigned long>(value));
      },
      [&](DrvStmt* statement) { return ApplyStmtOption(statement, option, value); });
}

namespace {

SQLRETURN GetStmtOption(DrvStmt* statement, SQLUSMALLINT option, SQLPOINTER out) {
  SQLRETURN result = SQL_SUCCESS;
  const bool positional = option == SQL_GET_BOOKMARK || option == SQL_ROW_NUMBER;
  if (statement->pending) {
    result = Fail(statement, kMsgErrOutOfSequence);
  } else if (positional &&
             (statement->state != kStmtOnRow || statement->fetch_status == kFetchDone)) {
    result = Fail(statement, kMsgErrInvalCursorState);
  } else if (option == SQL_GET_BOOKMARK && statement->options.slot[kOptUseBookmarks] == 0) {
    result = Fail(statement, kMsgErrInvalOperation);
  } else if (out == nullptr) {
    result = SQL_SUCCESS;
  } else if (option <= SQL_ROW_NUMBER) {
    ReadStmtOption(option, &statement->options, out);
  } else {
    result = DrvGetStmtOption(statement, option, out);
  }
  return result;
}

}  // namespace

SQLRETURN SQLGetStmtOptionImpl(SQLHSTMT hstmt, SQLUSMALLINT option, SQLPOINTER out) {
  return StatementEntry(
      hstmt, "SQLGetStmtOption",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetStmtOption(0x%08lx, %u, 0x%08lx)", TraceAddr(hstmt),
                   static_cast<unsigned>(option), TraceAddr(out));
      },
      [&](DrvStmt* statement) { return GetStmtOption(statement, option, out); });
}

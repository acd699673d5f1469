#include "driver/odbc/statement/cursor_name.h"

#include <sqlext.h>
#include <strings.h>

#include <cstring>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"

namespace {

bool AsyncPending(const DrvStmt* statement) {
  return StmtIsAsync(statement) && statement->pending != 0;
}

bool NameTakenByOther(const DrvStmt* statement, const char* name) {
  const DrvConn* connection = statement->conn;
  if (connection == nullptr || connection->statements == nullptr) return false;
  uint32_t count = ArrCount(connection->statements);
  for (uint32_t i = 0; i < count; ++i) {
    const DrvStmt* other = *static_cast<DrvStmt* const*>(ArrAt(connection->statements, i));
    if (other != statement && other != nullptr && strcasecmp(other->cursor_name, name) == 0)
      return true;
  }
  return false;
}

}  // namespace

SQLRETURN DrvSetCursorName(DrvStmt* statement, const char* name) {
  SQLRETURN code = DrvStmtStatus(statement, LnaSetCursorNameSP(statement->lna, name));
  if (code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO) {
    std::strncpy(statement->cursor_name, name, kCursorNameSize - 1);
    statement->cursor_name[kCursorNameSize - 1] = '\0';
  }
  return code;
}

SQLRETURN SQLSetCursorNameImpl(SQLHSTMT hstmt, SQLCHAR* szCursor, SQLSMALLINT cbCursor) {
  return StatementEntry(
      hstmt, "SQLSetCursorName",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLSetCursorName(0x%08lx, \"%s\", %d)", TraceAddr(hstmt),
                   szCursor != nullptr ? reinterpret_cast<const char*>(szCursor) : "NULL",
                   cbCursor);
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        uint32_t refusal = 0;
        if (AsyncPending(statement))
          refusal = kMsgErrOutOfSequence;
        else if (statement->state >= kStmtResultOpen)
          refusal = kMsgErrInvalCursorState;
        else if (szCursor == nullptr || cbCursor == SQL_NULL_DATA)
          refusal = kMsgErrInvalArg;
        if (refusal != 0) {
          PostStmtError(statement, refusal, 0, nullptr);
          return SQL_ERROR;
        }
        ArgCopy copy = {};
        uint32_t copied = CopyInString(&copy, reinterpret_cast<const char*>(szCursor), cbCursor,
                                       kNoLengthLimit, '\0');
        if (copied != kMsgErrSuccess) {
          PostStmtError(statement, copied, 0, nullptr);
          return SQL_ERROR;
        }
        SQLRETURN code = SQL_ERROR;
        if (std::strlen(copy.text) > kCursorNameSize - 1) {
          PostStmtError(statement, kMsgErrInvalCursorName, 0, nullptr);
        } else if (NameTakenByOther(statement, copy.text)) {
          PostStmtError(statement, kMsgErrDupCursorName, 0, nullptr);
        } else {
          code = DrvSetCursorName(statement, copy.text);
          // A name the server refused is not the statement's name.
          if (code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO) statement->cursor_name_set = 1;
        }
        FreeArgCopy(&copy, 1);
        return code;
      });
}

SQLRETURN SQLGetCursorNameImpl(SQLHSTMT hstmt, SQLCHAR* szCursor, SQLSMALLINT cbCursorMax,
                               SQLSMALLINT* pcbCursor) {
  return StatementEntry(
      hstmt, "SQLGetCursorName",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetCursorName(0x%08lx, 0x%08lx, %d, 0x%08lx)", TraceAddr(hstmt),
                   TraceAddr(szCursor), cbCursorMax, TraceAddr(pcbCursor));
      },
      [&](DrvStmt* statement) -> SQLRETURN {
        if (AsyncPending(statement)) {
          PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
          return SQL_ERROR;
        }
        // A name the application gave stays available whatever the statement
        // ran since; a generated one exists while a result set is described.
        bool available =
            statement->cursor_name_set != 0 ||
            (statement->state >= kStmtExecuted && statement->result_class >= kResultRows &&
             statement->cursor_name[0] != '\0');
        if (!available) {
          PostStmtError(statement, kMsgErrNoCursorAvail, 0, nullptr);
          return SQL_ERROR;
        }
        int16_t length = 0;
        int cut = CopyOutString(reinterpret_cast<char*>(szCursor), statement->cursor_name,
                                cbCursorMax, &length);
        if (pcbCursor != nullptr) *pcbCursor = length;
        if (cut != 0 && szCursor != nullptr) {
          PostStmtError(statement, kMsgErrDataTruncation, 0, nullptr);
          return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
      });
}

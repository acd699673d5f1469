#include "driver/odbc/statement/row_count.h"

#include <sqlext.h>

#include "common/trace.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/core/stmt_trace.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/statement/stmt_handle.h"

SQLRETURN SQLRowCountImpl(SQLHSTMT hstmt, SQLLEN* pcrow) {
  return StatementEntry(
      hstmt, "SQLRowCount",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLRowCount(0x%08lx, 0x%08lx)", TraceAddr(hstmt), TraceAddr(pcrow));
      },
      [&](DrvStmt* statement) {
        if (StmtIsAsync(statement) && statement->pending != 0) {
          PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
          return SQL_ERROR;
        }
        if (pcrow != nullptr) {
          // The server's count is a signed 32-bit number: -1 stays -1.
          SQLLEN value = -1;
          if (statement->result_class < kResultRows || statement->state == kStmtOnRow)
            value = static_cast<int32_t>(statement->row_count);
          *pcrow = value;
          if (statement->conn != nullptr && statement->conn->trace_level > 1)
            TracePrintf(StmtTrace(statement), "  row count value is %ld.\n",
                        static_cast<long>(value));
        }
        return SQL_SUCCESS;
      });
}

SQLRETURN SQLMoreResultsImpl(SQLHSTMT hstmt) {
  return StatementEntry(
      hstmt, "SQLMoreResults",
      [&](TraceHandle* trace) { TraceEnter(trace, "SQLMoreResults(0x%08lx)", TraceAddr(hstmt)); },
      [&](DrvStmt* statement) {
        // A single result set per statement: closing it leaves no more.
        SQLRETURN closed = SQLFreeStmtImpl(statement, SQL_CLOSE);
        return closed == SQL_ERROR ? SQL_ERROR : SQL_NO_DATA_FOUND;
      });
}

// The shell every statement entry runs its work in: a null handle is
// refused, the entry's trace line is written, the statement's diagnostics
// are cleared for the new call, and the result's trace line closes it.
//
//   return StatementEntry(hstmt, "SQLExecute",
//       [&](DrvStmt* s) { TraceEnter(StmtTrace(s), "SQLExecute(0x%08lx)", TraceAddr(s)); },
//       [&](DrvStmt* s) { return ExecuteStatement(s, false); });
#pragma once

#include <sql.h>

#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/stmt_trace.h"

// `enter` (DrvStmt*) writes the entry's trace line; `work` (DrvStmt*) ->
// SQLRETURN does the call.
template <typename Enter, typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, const char* name, Enter&& enter, Work&& work) {
  auto* statement = static_cast<DrvStmt*>(hstmt);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  enter(statement);
  ClearHandleErrors(nullptr, nullptr, statement);
  return StmtFinish(statement, name, work(statement));
}

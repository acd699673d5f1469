// The shell every worker runs its call in, one for each kind of handle, so
// that a worker says only what is its own: its entry line and its work.
//
//   return StatementEntry(hstmt, "SQLExecute",
//       [&](TraceHandle* trace) { TraceEnter(trace, "SQLExecute(0x%08lx)", TraceAddr(hstmt)); },
//       [&](DrvStmt* statement) { return ExecuteStatement(statement, false); });
//
// A call: a null handle is refused with SQL_INVALID_HANDLE; `enter` writes
// the entry line to the handle's trace (a statement's is its connection's);
// the handle's diagnostics are cleared for the new call; `work` does the
// call; the line of its result closes it, in the trace taken on entry
// (after SQL_DROP the statement is gone). An environment has no trace, so
// its calls write no lines.
//
// A call that cannot follow this names why with one of the rules below. A
// statement call made on the connection (SQLAllocStmt: the statement does
// not exist yet, its errors go to the connection) runs in ConnectionEntry.
// SQLError, which reads the diagnostics of whichever handle it is given and
// clears none, writes its lines with TracedCall alone.
#pragma once

#include <sql.h>

#include "common/trace.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/stmt_trace.h"

// The work clears the diagnostics itself, where the call starts afresh: a
// resumed call keeps those of its earlier turns, a question asked between a
// call and SQLError keeps that call's, a cancel of another thread's call
// leaves them to that call.
struct KeepDiagnostics {};
inline constexpr KeepDiagnostics kKeepDiagnostics{};
// The call writes no trace lines.
struct NoTraceLines {};
inline constexpr NoTraceLines kNoTraceLines{};
// The connect calls: the trace opens once the arguments are read, so the
// work writes the lines from there, with TracedCall.
struct TraceOpensInWork {};
inline constexpr TraceOpensInWork kTraceOpensInWork{};

// `enter` (TraceHandle*) writes the entry line to `trace`; `work` () ->
// SQLRETURN does the call; the line of its result closes it.
template <typename Enter, typename Work>
SQLRETURN TracedCall(TraceHandle* trace, const char* name, Enter&& enter, Work&& work) {
  enter(trace);
  SQLRETURN result = work();
  TraceReturn(trace, name, result);
  return result;
}

// `work` (DrvEnv*) -> SQLRETURN.
template <typename Work>
SQLRETURN EnvEntry(SQLHENV henv, Work&& work) {
  auto* env = static_cast<DrvEnv*>(henv);
  if (env == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(env, nullptr, nullptr);
  return work(env);
}

// `work` (DrvConn*) -> SQLRETURN.
template <typename Enter, typename Work>
SQLRETURN ConnectionEntry(SQLHDBC hdbc, const char* name, Enter&& enter, Work&& work) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  return TracedCall(connection->trace, name, enter, [&] {
    ClearHandleErrors(nullptr, connection, nullptr);
    return work(connection);
  });
}
template <typename Work>
SQLRETURN ConnectionEntry(SQLHDBC hdbc, NoTraceLines, Work&& work) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(nullptr, connection, nullptr);
  return work(connection);
}
template <typename Work>
SQLRETURN ConnectionEntry(SQLHDBC hdbc, TraceOpensInWork, Work&& work) {
  return ConnectionEntry(hdbc, kNoTraceLines, work);
}

// `work` (DrvStmt*) -> SQLRETURN.
template <typename Enter, typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, const char* name, Enter&& enter, Work&& work) {
  auto* statement = static_cast<DrvStmt*>(hstmt);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  return TracedCall(StmtTrace(statement), name, enter, [&] {
    ClearHandleErrors(nullptr, nullptr, statement);
    return work(statement);
  });
}
template <typename Enter, typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, KeepDiagnostics, const char* name, Enter&& enter,
                         Work&& work) {
  auto* statement = static_cast<DrvStmt*>(hstmt);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  return TracedCall(StmtTrace(statement), name, enter, [&] { return work(statement); });
}
template <typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, NoTraceLines, Work&& work) {
  auto* statement = static_cast<DrvStmt*>(hstmt);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(nullptr, nullptr, statement);
  return work(statement);
}

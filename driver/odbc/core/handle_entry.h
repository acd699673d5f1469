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
#include "driver/odbc/core/drv_env.h"
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

namespace handle_entry_detail {

inline void ClearDiagnostics(DrvEnv* env) {
  ClearHandleErrors(env, nullptr, nullptr);
}
inline void ClearDiagnostics(DrvConn* connection) {
  ClearHandleErrors(nullptr, connection, nullptr);
}
inline void ClearDiagnostics(DrvStmt* statement) {
  ClearHandleErrors(nullptr, nullptr, statement);
}
inline TraceHandle* TraceOf(const DrvConn* connection) {
  return connection->trace;
}
inline TraceHandle* TraceOf(const DrvStmt* statement) {
  return StmtTrace(statement);
}

template <typename Record, typename Work>
SQLRETURN Untraced(void* handle, Work&& work) {
  auto* record = static_cast<Record*>(handle);
  if (record == nullptr) return SQL_INVALID_HANDLE;
  ClearDiagnostics(record);
  return work(record);
}

template <typename Record, typename Enter, typename Work>
SQLRETURN Traced(void* handle, bool clear, const char* name, Enter&& enter, Work&& work) {
  auto* record = static_cast<Record*>(handle);
  if (record == nullptr) return SQL_INVALID_HANDLE;
  return TracedCall(TraceOf(record), name, enter, [&] {
    if (clear) ClearDiagnostics(record);
    return work(record);
  });
}

}  // namespace handle_entry_detail

// `work` (DrvEnv*) -> SQLRETURN.
template <typename Work>
SQLRETURN EnvEntry(SQLHENV henv, Work&& work) {
  return handle_entry_detail::Untraced<DrvEnv>(henv, work);
}

// `work` (DrvConn*) -> SQLRETURN.
template <typename Enter, typename Work>
SQLRETURN ConnectionEntry(SQLHDBC hdbc, const char* name, Enter&& enter, Work&& work) {
  return handle_entry_detail::Traced<DrvConn>(hdbc, true, name, enter, work);
}
template <typename Work>
SQLRETURN ConnectionEntry(SQLHDBC hdbc, NoTraceLines, Work&& work) {
  return handle_entry_detail::Untraced<DrvConn>(hdbc, work);
}
template <typename Work>
SQLRETURN ConnectionEntry(SQLHDBC hdbc, TraceOpensInWork, Work&& work) {
  return handle_entry_detail::Untraced<DrvConn>(hdbc, work);
}

// `work` (DrvStmt*) -> SQLRETURN.
template <typename Enter, typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, const char* name, Enter&& enter, Work&& work) {
  return handle_entry_detail::Traced<DrvStmt>(hstmt, true, name, enter, work);
}
template <typename Enter, typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, KeepDiagnostics, const char* name, Enter&& enter,
                         Work&& work) {
  return handle_entry_detail::Traced<DrvStmt>(hstmt, false, name, enter, work);
}
template <typename Work>
SQLRETURN StatementEntry(SQLHSTMT hstmt, NoTraceLines, Work&& work) {
  return handle_entry_detail::Untraced<DrvStmt>(hstmt, work);
}

// The statement operations that never run asynchronously, and the cancel.
#include "driver/lna/conn_stubs.h"
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_option_value.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_buffers.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/option_stubs.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/protocol.h"

namespace {

int16_t StmtGate(LnaStatement* stmt, int32_t broken_location) {
  if (LnaIsBroken(stmt->conn)) return RefuseBroken(nullptr, stmt, broken_location);
  return _rcLnaCheckNoAsync(nullptr, stmt);
}

int16_t AfterStub(LnaStatement* stmt, int16_t status, uint32_t procedure) {
  if (status == kLnaFailed) PostTransportError(nullptr, stmt, procedure);
  return status;
}

enum class CancelStep { kBroken, kSend, kCancelPending, kWrongStatement, kNothing };

// Why the cancel route failed: its transport error, else the server's
// refusal, whose own diagnostics went with the cancel's connection.
void UndeliveredCancel(LnaDiagRecord* out) {
  if (LnaTransportDiagnostic(kRpcCancelPending, out)) return;
  *out = MakeLnaError(kLnaMsgGeneric, kLnaMsgCancelRefused,
                      kLocTransportBase + static_cast<int32_t>(kRpcCancelPending));
}

}  // namespace

int16_t LnaFreeStmtSP(LnaStatement* stmt, uint16_t option) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaFreeStmtSP(0x%08lx, %u)", TraceAddr(stmt), option);
  int16_t result = _rcLnaCheckNoAsync(nullptr, stmt);
  if (result == kLnaOk && !LnaIsBroken(conn)) {
    TracePrintf(trace, "_rpcLnaFreeStmtSP(0x%08lx, 0x%08lx, %u)\n", TraceAddr(conn->rpc),
                static_cast<unsigned long>(stmt->server_stmt), option);
    result = _rpcLnaFreeStmtSP(&conn->rpc, stmt->server_stmt, option);
    TraceReturn(trace, "_rpcLnaFreeStmtSP", result);
    result = AfterStub(stmt, result, kRpcFreeStmt);
  }
  if (result == kLnaOk || result == kLnaInfo) {
    if (option == 0) LnaResetStmt(stmt);
    if (option == 1) LnaDropStmt(stmt);
  }
  TraceReturn(trace, "LnaFreeStmtSP", result);
  return result;
}

int16_t LnaCancelSP(LnaStatement* stmt, LnaDiagRecord* undelivered) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaCancelSP(0x%08lx)", TraceAddr(stmt));
  if (LnaStmtInCall(stmt) && !LnaIsBroken(conn)) {
    // The statement's call holds the connection: the cancel goes on a
    // connection of its own with the login's cancel key. Its outcome is
    // not posted on the statement, whose call is still running.
    TracePrintf(trace, "LnaCancelSP(0x%08lx, 0x%08lx)\n", TraceAddr(conn->rpc),
                static_cast<unsigned long>(conn->cancel_key));
    int16_t sent =
        _rpcLnaCancelPendingSP(conn->server_name, conn->cancel_key, LnaCancelWaitMs(conn));
    TraceReturn(trace, "_rpcLnaCancelSP", sent);
    int16_t result = sent == kLnaOk || sent == kLnaInfo ? kLnaOk : kLnaFailed;
    if (result != kLnaOk && undelivered != nullptr) UndeliveredCancel(undelivered);
    TraceReturn(trace, "LnaCancelSP", result);
    return result;
  }
  CancelStep step;
  {
    LnaFieldGuard guard;
    if (conn->broken) {
      conn->async_state = kLnaAsyncIdle;
      conn->async_owner = nullptr;
      step = CancelStep::kBroken;
    } else if (conn->async_state == kLnaAsyncIdle) {
      step = CancelStep::kSend;
    } else if (conn->async_state == kLnaAsyncStarted) {
      step = conn->async_owner == stmt ? CancelStep::kCancelPending : CancelStep::kWrongStatement;
      if (step == CancelStep::kCancelPending) conn->async_state = kLnaAsyncCancelRequested;
    } else {
      step = CancelStep::kNothing;
    }
  }
  int16_t result = kLnaOk;
  switch (step) {
    case CancelStep::kBroken:
      result = RefuseBroken(nullptr, stmt, kLocCancel);
      break;
    case CancelStep::kSend:
      TracePrintf(trace, "LnaCancelSP(0x%08lx, 0x%08lx)\n", TraceAddr(conn->rpc),
                  static_cast<unsigned long>(stmt->server_stmt));
      result = _rpcLnaCancelSP(&conn->rpc, stmt->server_stmt);
      TraceReturn(trace, "_rpcLnaCancelSP", result);
      result = AfterStub(stmt, result, kRpcCancel);
      break;
    case CancelStep::kCancelPending:
      if (conn->async_cancel) {
        TracePrintf(trace, "LnaCancelSP(0x%08lx, 0x%08lx)\n", TraceAddr(conn->rpc),
                    static_cast<unsigned long>(conn->cancel_key));
        int16_t sent =
            _rpcLnaCancelPendingSP(conn->server_name, conn->cancel_key, LnaCancelWaitMs(conn));
        TraceReturn(trace, "_rpcLnaCancelSP", sent);
        if (sent == kLnaFailed) PostTransportError(nullptr, stmt, kRpcCancelPending);
      }
      break;
    case CancelStep::kWrongStatement:
      PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgAsyncWrongCancel, kLocCancelWrongStmt);
      result = kLnaFailed;
      break;
    case CancelStep::kNothing:
      break;
  }
  TraceReturn(trace, "LnaCancelSP", result);
  return result;
}

int16_t LnaSetStmtOptionSP(LnaStatement* stmt, uint16_t option, uintptr_t value, int16_t c_type) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaSetStmtOptionSP(0x%08lx, %u, %lu, %u)", TraceAddr(stmt), option,
             static_cast<unsigned long>(value), static_cast<unsigned>(c_type));
  int16_t result = StmtGate(stmt, kLocSetStmtOption);
  LnaTypedValue typed;
  if (result == kLnaOk && option == kLnaAsyncOption) {
    conn->async_cancel = 0;
  } else if (result == kLnaOk && MakeOptionValue(value, c_type, &typed)) {
    TracePrintf(trace, "_rpcLnaSetStmtOptionSP(0x%08lx, 0x%08lx, %u, 0x%08lx)\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt), option,
                TraceAddr(&typed));
    result =
        _rpcLnaSetStmtOptionSP(&conn->rpc, {stmt->server_stmt, option, WireValue::Refer(typed)});
    TraceReturn(trace, "_rpcLnaSetStmtOptionSP", result);
    result = AfterStub(stmt, result, kRpcSetStmtOption);
  }
  TraceReturn(trace, "LnaSetStmtOptionSP", result);
  return result;
}

int16_t LnaGetStmtOptionSP(LnaStatement* stmt, uint16_t option, void* value, uint16_t* c_type) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaGetStmtOptionSP(0x%08lx, %u, 0x%08lx, 0x%08lx)", TraceAddr(stmt), option,
             TraceAddr(value), TraceAddr(c_type));
  int16_t result = StmtGate(stmt, kLocGetStmtOption);
  if (result == kLnaOk) {
    LnaTypedValue received;
    TracePrintf(trace, "_rpcLnaGetStmtOptionSP(0x%08lx, 0x%08lx, %u, 0x%08lx)\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt), option,
                TraceAddr(&received));
    result = _rpcLnaGetStmtOptionSP(&conn->rpc, {stmt->server_stmt, option}, &received);
    TraceReturn(trace, "_rpcLnaGetStmtOptionSP", result);
    if (result == kLnaOk || result == kLnaInfo)
      StoreOptionValue(&received, value, c_type);
    else
      XdrFreeTypedValue(&received);
    result = AfterStub(stmt, result, kRpcGetStmtOption);
  }
  TraceReturn(trace, "LnaGetStmtOptionSP", result);
  return result;
}

int16_t LnaSetCursorNameSP(LnaStatement* stmt, const char* name) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaSetCursorNameSP(0x%08lx, pszCursor)", TraceAddr(stmt));
  TracePrintf(trace, "pszCursor = \"%-.512s\"\n", TraceText(name));
  int16_t result = StmtGate(stmt, kLocSetCursorName);
  if (result == kLnaOk) {
    TracePrintf(trace, "_rpcLnaSetCursorNameSP(0x%08lx, 0x%08lx, pszCursor)\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt));
    result = _rpcLnaSetCursorNameSP(&conn->rpc, stmt->server_stmt, name);
    TraceReturn(trace, "_rpcLnaSetCursorNameSP", result);
    result = AfterStub(stmt, result, kRpcSetCursorName);
  }
  TraceReturn(trace, "LnaSetCursorNameSP", result);
  return result;
}

int16_t LnaParamDataSP(LnaStatement* stmt, int32_t* out) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaParamDataSP(0x%08lx, 0x%08lx)", TraceAddr(stmt), TraceAddr(out));
  int16_t result = StmtGate(stmt, kLocParamData);
  if (result == kLnaOk) {
    int32_t value = 0;
    TracePrintf(trace, "_rpcLnaParamDataSP(0x%08lx, 0x%08lx, 0x%08lx)\n", TraceAddr(conn->rpc),
                static_cast<unsigned long>(stmt->server_stmt), TraceAddr(out));
    {
      LnaStmtCall on_wire(stmt);
      result = _rpcLnaParamDataSP(&conn->rpc, stmt->server_stmt, &value);
      TraceReturn(trace, "_rpcLnaParamData", result);
      result = on_wire.Settle(result, kRpcParamData);
    }
    if (out != nullptr) *out = value;
  }
  TraceReturn(trace, "LnaParamData", result);
  return result;
}

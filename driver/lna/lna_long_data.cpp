// Long data: pieces of a long column read after the row, and pieces of a
// data-at-execution parameter sent before the execution goes on.
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_param_values.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/protocol.h"

int16_t LnaPutLongDataSP(LnaStatement* stmt, int16_t c_type, const void* data, int32_t length,
                         uint8_t async) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaPutLongDataSP(0x%08lx, %d, 0x%08lx, %ld, %s)", TraceAddr(stmt), c_type,
             TraceAddr(data), static_cast<long>(length), TraceBool(async));
  int16_t rc = kLnaOk;
  if (LnaIsBroken(conn)) {
    rc = RefuseBroken(nullptr, stmt, kLocPutLongData);
  } else if (c_type == kCTypeBinary || c_type == kCTypeChar) {
    // Other C types are not sent; they are tested first so that no
    // asynchronous call is recorded for a request that never goes out.
    uint32_t skip = 0;
    rc = _rcLnaCheckStmtAsync(stmt, kRpcPutLongData, async, &skip);
    if (rc == kLnaOk) {
      LnaTypedValue value{};
      value.c_type = c_type;
      value.length = length;
      value.value.bytes = static_cast<uint8_t*>(const_cast<void*>(data));
      TracePrintf(trace, "_rpcLnaPutLongDataSP(0x%08lx, 0x%08lx, 0x%08lx, %s)\n",
                  TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt),
                  TraceAddr(&value), TraceBool(async));
      {
        LnaStmtCall on_wire(stmt);
        rc = _rpcLnaPutLongDataSP(&conn->rpc, stmt->server_stmt, &value, async);
        TraceReturn(trace, "_rpcLnaPutLongDataSP", rc);
        rc = on_wire.Settle(rc, kRpcPutLongData);
      }
      rc = _rcLnaEndStmtAsync(stmt, kRpcPutLongData, rc, async, &skip);
    } else if (rc != kLnaStillExecuting) {
      TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal = %d\n", rc);
    }
  }
  TraceReturn(trace, "LnaPutLongDataSP", rc);
  return rc;
}

int16_t LnaGetLongDataSP(LnaStatement* stmt, uint16_t column, int16_t c_type, void* buffer,
                         int32_t buffer_size, int32_t* length, uint8_t async) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaGetLongDataSP(0x%08lx, %u, %d, 0x%08lx, %ld, 0x%08lx, %s)", TraceAddr(stmt),
             column, c_type, TraceAddr(buffer), static_cast<long>(buffer_size), TraceAddr(length),
             TraceBool(async));
  if (LnaIsBroken(conn)) {
    int16_t refused = RefuseBroken(nullptr, stmt, kLocGetLongData);
    TraceReturn(trace, "LnaGetLongDataSP", refused);
    return refused;
  }
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, kRpcGetLongData, async, &skip);
  if (rc == kLnaOk) {
    LnaTypedValue value{};
    int32_t value_length = 0;
    TracePrintf(
        trace, "_rpcLnaGetLongDataSP(0x%08lx, 0x%08lx, %u, %d, 0x%08lx, %ld, 0x%08lx, %s)\n",
        TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt), column, c_type,
        TraceAddr(buffer), static_cast<long>(buffer_size), TraceAddr(length), TraceBool(async));
    {
      LnaStmtCall on_wire(stmt);
      rc = _rpcLnaGetLongDataSP(&conn->rpc, stmt->server_stmt, column, c_type, buffer_size, async,
                                &value, &value_length);
      TraceReturn(trace, "_rpcLnaGetLongDataSP", rc);
      rc = on_wire.Settle(rc, kRpcGetLongData);
    }
    rc = _rcLnaEndStmtAsync(stmt, kRpcGetLongData, rc, async, &skip);
    bool done = rc == kLnaOk || rc == kLnaInfo || rc == kLnaStillExecuting;
    if (!skip && done) {
      if (length != nullptr) *length = value_length;
      if (value.length != kValueNull && !CopyTypedValue(&value, c_type, buffer, buffer_size)) {
        // A value of another type than asked for cannot be read as one.
        PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgUnpack,
                     kLocTransportBase + static_cast<int32_t>(kRpcGetLongData));
        rc = kLnaFailed;
      }
    }
    XdrFreeTypedValue(&value);
  } else if (rc != kLnaStillExecuting) {
    TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal = %d\n", rc);
  }
  TraceReturn(trace, "LnaGetLongDataSP", rc);
  return rc;
}

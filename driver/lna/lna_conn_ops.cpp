// The connection-level operations: options, information values and
// transactions.
#include <cstring>

#include "driver/lna/conn_stubs.h"
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_option_value.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/option_stubs.h"
#include "wire/protocol.h"

namespace {

// The checks every connection operation runs before its request: 0 to go
// on, else the code to return.
int16_t ConnGate(LnaConnection* conn, int32_t broken_location) {
  if (LnaIsBroken(conn)) return RefuseBroken(conn, nullptr, broken_location);
  return _rcLnaCheckNoAsync(conn, nullptr);
}

int16_t AfterStub(LnaConnection* conn, int16_t status, uint32_t procedure) {
  if (status == kLnaFailed) PostTransportError(conn, nullptr, procedure);
  return status;
}

// A commit or rollback the server took after it had reported the data
// source's connection gone ended nothing: the work went with the
// connection, and that is what the application learns.
int16_t RefuseLostTransaction(LnaConnection* conn, int16_t status) {
  LnaFieldGuard guard;
  if (!conn->source_lost) return status;
  conn->diag = conn->source_lost_reason;
  conn->diag_waiting = 1;
  return kLnaFailed;
}

// The text of an information value into the caller's buffer, cut to fit.
int16_t StoreInfoText(LnaConnection* conn, const LnaTypedValue& v, int32_t full_length,
                      char* buffer, int32_t buffer_size, int32_t* length) {
  size_t received = 0;
  if (v.value.text != nullptr && v.length > 0)
    received = strnlen(v.value.text, static_cast<size_t>(v.length));
  size_t whole = full_length > 0 && static_cast<size_t>(full_length) > received
                     ? static_cast<size_t>(full_length)
                     : received;
  if (length != nullptr) *length = static_cast<int32_t>(whole);
  size_t room = buffer_size > 0 ? static_cast<size_t>(buffer_size) : 0;
  size_t n = received;
  int16_t result = kLnaOk;
  if (room < whole + 1) {
    n = room > 0 ? room - 1 : 0;
    if (n > received) n = received;
    PostLnaError(conn, nullptr, kLnaMsgTruncated, 0, kLocDisconnect);
    result = kLnaInfo;
  }
  if (buffer != nullptr && room > 0) {
    if (n > 0) std::memcpy(buffer, v.value.text, n);
    buffer[n] = '\0';
  }
  return result;
}

int16_t StoreInfoNumber(LnaConnection* conn, const LnaTypedValue& v, void* buffer,
                        int32_t buffer_size, int32_t* length) {
  bool wide = v.c_type == kCTypeLong;
  int32_t size = wide ? 4 : 2;
  if (buffer_size < size) {
    if (length != nullptr) *length = 0;
    PostLnaError(conn, nullptr, kLnaMsgTruncated, 0, wide ? kLocInfoShort32 : kLocInfoShort16);
    return kLnaFailed;
  }
  if (buffer != nullptr) {
    if (wide)
      std::memcpy(buffer, &v.value.u32, 4);
    else
      std::memcpy(buffer, &v.value.u16, 2);
  }
  if (length != nullptr) *length = size;
  return kLnaOk;
}

}  // namespace

int16_t LnaSetConnectOptionMP(LnaConnection* conn, uint16_t option, uintptr_t value,
                              int16_t c_type) {
  if (conn == nullptr) return kLnaNoRecord;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaSetConnectOptionMP(0x%08lx, %u, %lu, %d)", TraceAddr(conn), option,
             static_cast<unsigned long>(value), c_type);
  int16_t result = ConnGate(conn, kLocSetConnOption);
  LnaTypedValue typed;
  if (result == kLnaOk && option == kLnaAsyncOption) {
    conn->async_cancel = 0;
  } else if (result == kLnaOk && MakeOptionValue(value, c_type, &typed)) {
    TracePrintf(trace, "_rpcLnaSetConnectOptionMP(0x%08lx, 0x%08lx, %u, 0x%08lx)\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(conn->server_conn), option,
                TraceAddr(&typed));
    result =
        _rpcLnaSetConnectOptionMP(&conn->rpc, {conn->server_conn, option, WireValue::Refer(typed)});
    TraceReturn(trace, "_rpcLnaSetConnectOptionSP", result);
    result = AfterStub(conn, result, kRpcSetConnectOption);
  }
  TraceReturn(trace, "LnaSetConnectOptionSP", result);
  return result;
}

int16_t LnaGetConnectOptionMP(LnaConnection* conn, uint16_t option, void* value, uint16_t* c_type) {
  if (conn == nullptr) return kLnaNoRecord;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaGetConnectOptionMP(0x%08lx, %u, 0x%08lx, 0x%08lx)", TraceAddr(conn), option,
             TraceAddr(value), TraceAddr(c_type));
  int16_t result = ConnGate(conn, kLocGetConnOption);
  if (result == kLnaOk) {
    LnaTypedValue received;
    TracePrintf(trace, "_rpcLnaGetConnectOptionMP(0x%08lx, 0x%08lx, %u, 0x%08lx)\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(conn->server_conn), option,
                TraceAddr(&received));
    result = _rpcLnaGetConnectOptionMP(&conn->rpc, {conn->server_conn, option}, &received);
    TraceReturn(trace, "_rpcLnaGetConnectOptionSP", result);
    if (result == kLnaOk || result == kLnaInfo)
      StoreOptionValue(&received, value, c_type);
    else
      XdrFreeTypedValue(&received);
    result = AfterStub(conn, result, kRpcGetConnectOption);
  }
  TraceReturn(trace, "LnaGetConnectOptionSP", result);
  return result;
}

int16_t LnaGetInfoSP(LnaConnection* conn, uint16_t info_type, void* buffer, int32_t buffer_size,
                     int32_t* length, uint16_t* c_type) {
  if (conn == nullptr) return kLnaNoRecord;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaGetInfoSP(0x%08lx, %u, 0x%08lx, %u, 0x%08lx, 0x%08lx)", TraceAddr(conn),
             info_type, TraceAddr(buffer), static_cast<unsigned>(buffer_size), TraceAddr(length),
             TraceAddr(c_type));
  int16_t result = ConnGate(conn, kLocGetInfo);
  if (result == kLnaOk) {
    LnaTypedValue v;
    int32_t full_length = 0;
    TracePrintf(trace, "_rpcLnaGetInfoSP(0x%08lx, 0x%08lx, %u, 0x%08lx, %u, 0x%08lx)\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(conn->server_conn), info_type,
                TraceAddr(buffer), static_cast<unsigned>(buffer_size), TraceAddr(length));
    result =
        _rpcLnaGetInfoSP(&conn->rpc, {conn->server_conn, info_type, buffer_size}, &v, &full_length);
    TraceReturn(trace, "_rpcLnaGetInfoSP", result);
    result = AfterStub(conn, result, kRpcGetInfo);
    if (result == kLnaOk || result == kLnaInfo) {
      if (c_type != nullptr) *c_type = static_cast<uint16_t>(v.c_type);
      switch (v.c_type) {
        case 0:
          if (length != nullptr) *length = 0;
          break;
        case kCTypeChar:
          result =
              StoreInfoText(conn, v, full_length, static_cast<char*>(buffer), buffer_size, length);
          break;
        case kCTypeShort:
        case kCTypeLong:
          result = StoreInfoNumber(conn, v, buffer, buffer_size, length);
          break;
        default:
          if (length != nullptr) *length = 0;
          result = kLnaInfo;
          break;
      }
    }
    XdrFreeTypedValue(&v);
  }
  TraceReturn(trace, "LnaGetInfoSP", result);
  return result;
}

int16_t LnaTransactSP(LnaConnection* conn, uint16_t type) {
  if (conn == nullptr) return kLnaNoRecord;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaTransactSP(0x%08lx, %u)", TraceAddr(conn), type);
  int16_t result = ConnGate(conn, kLocTransact);
  if (result == kLnaOk) {
    TracePrintf(trace, "_rpcLnaTransactSP(0x%08lx, 0x%08lx, %u)\n", TraceAddr(conn->rpc),
                static_cast<unsigned long>(conn->server_conn), type);
    result = _rpcLnaTransactSP(&conn->rpc, conn->server_conn, type);
    TraceReturn(trace, "_rpcLnaTransactSP", result);
    result = AfterStub(conn, result, kRpcTransact);
    if (result == kLnaOk || result == kLnaInfo) result = RefuseLostTransaction(conn, result);
  }
  TraceReturn(trace, "LnaTransactSP", result);
  return result;
}

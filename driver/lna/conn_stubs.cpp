#include "driver/lna/conn_stubs.h"

#include <cstring>

#include "common/memory.h"
#include "driver/lna/rpc_stub.h"
#include "wire/protocol.h"

namespace {

int NoFields(MsgBuf*) {
  return 1;
}

}  // namespace

int16_t _rpcLnaCancelPendingSP(const char* server, uint16_t cancel_key) {
  return RpcRunOwn(
      server, kRpcFailed, kRpcCancelPending, [&](MsgBuf* b) { return MsgBufPutU16(b, cancel_key); },
      NoFields);
}

int16_t _rpcLnaDisconnectSP(RpcConnection** handle, int32_t server_conn) {
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcDisconnect,
      [&](MsgBuf* b) { return MsgBufPutI32(b, server_conn); }, NoFields);
  if (handle != nullptr) {
    RpcConnClose(*handle);
    *handle = nullptr;
  }
  return status;
}

int16_t _rpcLnaGetErrorsSP(RpcConnection** handle, int32_t server_conn, int32_t server_stmt,
                           LnaDiagRecord* records, uint16_t* count) {
  *count = 0;
  LnaDiagRecord* received = nullptr;
  uint32_t received_count = 0;
  uint16_t reported = 0;
  auto drop = [&] {
    MemFree(received);
    received = nullptr;
    received_count = 0;
  };
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcGetErrors,
      [&](MsgBuf* b) { return MsgBufPutI32(b, server_conn) && MsgBufPutI32(b, server_stmt); },
      [&](MsgBuf* b) {
        void* array;
        if (!MsgBufGetArray(b, &array, MsgBufGetElem<XdrDiagRecord>, sizeof(LnaDiagRecord),
                            &received_count)) {
          return 0;
        }
        received = static_cast<LnaDiagRecord*>(array);
        return MsgBufGetU16(b, &reported);
      },
      drop);
  uint16_t n = RpcCountOf(reported, received_count);
  if (n > kRpcMaxDiagnostics) n = kRpcMaxDiagnostics;
  if (n > 0) std::memcpy(records, received, n * sizeof(LnaDiagRecord));
  *count = n;
  drop();
  return status;
}

int16_t _rpcLnaTransactSP(RpcConnection** handle, int32_t server_conn, uint16_t type) {
  return RpcRun(
      RpcHandleConn(handle), kRpcTransact,
      [&](MsgBuf* b) { return MsgBufPutI32(b, server_conn) && MsgBufPutU16(b, type); }, NoFields);
}

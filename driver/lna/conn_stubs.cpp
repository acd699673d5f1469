#include "driver/lna/conn_stubs.h"

#include <cstring>

#include "common/memory.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"

int16_t _rpcLnaCancelPendingSP(const char* server, uint16_t cancel_key, uint32_t wait_ms) {
  return RpcRunOwn(
      server, kReplyFailed, kRpcCancelPending,
      [&](MsgBuf* b) { return Encode(b, CancelPendingRequest{cancel_key}); }, RpcNoFields,
      RpcNothingToDiscard{}, wait_ms);
}

int16_t _rpcLnaDisconnectSP(RpcConnection** handle, int32_t server_conn) {
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcDisconnect,
      [&](MsgBuf* b) { return Encode(b, DisconnectRequest{server_conn}); }, RpcNoFields);
  if (handle != nullptr) {
    RpcConnClose(*handle);
    *handle = nullptr;
  }
  return status;
}

int16_t _rpcLnaGetErrorsSP(RpcConnection** handle, int32_t server_conn, int32_t server_stmt,
                           LnaDiagRecord* records, uint16_t* count) {
  *count = 0;
  GetErrorsReply reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcGetErrors,
      [&](MsgBuf* b) {
        return Encode(b, GetErrorsRequest{server_conn, server_stmt});
      },
      [&](MsgBuf* b) { return Decode(b, &reply); }, [&] { reply = GetErrorsReply{}; });
  uint16_t n = RpcCountOf(reply.count, static_cast<uint32_t>(reply.records.size()));
  if (n > kGetErrorsMaxRecords) n = kGetErrorsMaxRecords;
  if (n > 0) std::memcpy(records, reply.records.data(), n * sizeof(LnaDiagRecord));
  *count = n;
  return status;
}

int16_t _rpcLnaTransactSP(RpcConnection** handle, int32_t server_conn, uint16_t type) {
  return RpcRun(
      RpcHandleConn(handle), kRpcTransact,
      [&](MsgBuf* b) {
        return Encode(b, TransactRequest{server_conn, type});
      },
      RpcNoFields);
}

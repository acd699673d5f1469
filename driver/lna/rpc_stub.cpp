#include "driver/lna/rpc_stub.h"

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/protocol_choice.h"

MsgBuf* RpcStubStart(RpcConnection* conn, int32_t no_buffer_kind) {
  TlsSlotSet(kNetErrNone);
  MsgBuf* buf = MsgBufCreate();
  if (buf == nullptr && conn != nullptr) conn->error_kind = no_buffer_kind;
  return buf;
}

int16_t RpcStubFail(RpcConnection* conn, MsgBuf* buf, int32_t kind) {
  if (conn != nullptr) conn->error_kind = kind;
  MsgBufFree(buf);
  return kReplyFailed;
}

RpcConnection* RpcOpenOwn(const char* server, uint32_t wait_ms) {
  TlsSlotSet(kNetErrNone);
  char* protocol = ResolveServerProtocol(server);
  RpcConnection* conn = RpcConnOpen(server, protocol, wait_ms);
  MemFree(protocol);
  return conn;
}

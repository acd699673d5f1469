// The frame every procedure stub runs in: a fresh message buffer, the
// request header and the stub's fields, the call, then the stub's reply
// fields, which must use up the reply. A local failure gives -20 and sets
// the connection's error kind; otherwise the result is the server's status,
// with the reply's fields unpacked whatever it says.
//
//   return RpcRun(RpcHandleConn(handle), kRpcCancel,
//                 [&](MsgBuf* b) { return Encode(b, CancelRequest{server_stmt}); },
//                 RpcNoFields);
#pragma once

#include <cstdint>

#include "driver/lna/rpc_call.h"
#include "driver/lna/rpc_connection.h"
#include "wire/msg_buf.h"

// The connection a caller's handle holds, or null.
inline RpcConnection* RpcHandleConn(RpcConnection** handle) {
  return handle != nullptr ? *handle : nullptr;
}

// Clears the thread's last error, so that a failure is never blamed on an
// earlier call's code, and creates the message buffer (null: the error kind
// `no_buffer_kind` on the connection).
MsgBuf* RpcStubStart(RpcConnection* conn, int32_t no_buffer_kind);
// Sets the error kind, frees the buffer; -20.
int16_t RpcStubFail(RpcConnection* conn, MsgBuf* buf, int32_t kind);

// Opens a connection of its own to `server` for an administrative call,
// with the protocol text chosen for it; the connect, the greeting and the
// call share `wait_ms`. Null on failure.
RpcConnection* RpcOpenOwn(const char* server, uint32_t wait_ms = kRpcDefaultWaitMs);

// A reply's count field and the number of elements its array carried: the
// count handed out is the smaller, so that no caller reads past an array.
inline uint16_t RpcCountOf(uint16_t count, uint32_t received) {
  return count < received ? count : static_cast<uint16_t>(received);
}

// The unpack of a reply that has no fields of its own.
inline int RpcNoFields(MsgBuf*) {
  return 1;
}

struct RpcNothingToDiscard {
  void operator()() const {}
};

// `pack` (MsgBuf*) -> 1/0 writes the request fields; `unpack` (MsgBuf*) ->
// 1/0 reads the reply fields into outputs that the stub set empty first;
// `discard` () frees what unpack produced, run when the reply cannot be
// unpacked whole, so that a failed stub hands nothing out.
template <typename Pack, typename Unpack, typename Discard = RpcNothingToDiscard>
int16_t RpcRun(RpcConnection* conn, uint32_t procedure, Pack&& pack, Unpack&& unpack,
               Discard&& discard = {}, int32_t no_buffer_kind = kRpcErrNoBuffer) {
  MsgBuf* buf = RpcStubStart(conn, no_buffer_kind);
  if (buf == nullptr) return kReplyFailed;
  if (!RpcBeginCall(buf, conn, procedure) || !pack(buf)) return RpcStubFail(conn, buf, kRpcErrPack);
  ReplyHeader header;
  if (!RpcDoCall(conn, buf, &header)) {
    MsgBufFree(buf);
    return header.status;
  }
  if (!unpack(buf) || !MsgBufAllRead(buf)) {
    discard();
    return RpcStubFail(conn, buf, kRpcErrUnpack);
  }
  MsgBufFree(buf);
  return header.status;
}

// The same on a connection of its own to `server`, opened for the one call
// and closed again on every path, all of it within `wait_ms`. When no
// connection can be opened the result is `no_connection_status`.
template <typename Pack, typename Unpack, typename Discard = RpcNothingToDiscard>
int16_t RpcRunOwn(const char* server, int16_t no_connection_status, uint32_t procedure, Pack&& pack,
                  Unpack&& unpack, Discard&& discard = {}, uint32_t wait_ms = kRpcDefaultWaitMs) {
  RpcConnection* conn = RpcOpenOwn(server, wait_ms);
  if (conn == nullptr) return no_connection_status;
  int16_t status = RpcRun(conn, procedure, pack, unpack, discard);
  RpcConnClose(conn);
  return status;
}

#include "driver/lna/rpc_call.h"

#include <atomic>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/transport.h"

namespace {

// Waits for the reply within the connection's bound. A reply that outlasts
// it runs the overdue hook once; after a cancel the reply gets a little
// more time. 1 when the reply can be read, 0 (code 132) when it never came.
int AwaitReply(RpcConnection* conn) {
  uint32_t wait = conn->reply_wait_ms;
  // A reply that stalls half-way is bounded too: every read of it is.
  uint32_t per_read = wait > 0 ? wait + kRpcCancelGraceMs : 0;
  if (conn->applied_wait_ms != per_read && NetBoundReceives(conn->socket, per_read))
    conn->applied_wait_ms = per_read;
  if (wait == 0) return 1;
  int ready = NetWaitReadable(conn->socket, wait);
  if (ready != 0) return ready > 0;
  conn->overdue = 1;
  if (conn->overdue_fn == nullptr || !conn->overdue_fn(conn->overdue_context)) return 0;
  return NetWaitReadable(conn->socket, kRpcCancelGraceMs) > 0;
}

int Failed(RpcConnection* conn, ReplyHeader* header, int32_t kind) {
  if (conn != nullptr) conn->error_kind = kind;
  header->status = kRpcFailed;
  return 0;
}

}  // namespace

int RpcBeginCall(MsgBuf* message, RpcConnection* conn, uint32_t procedure) {
  if (message == nullptr) return 0;
  if (conn == nullptr) {
    TlsSlotSet(kNetErrBadSocket);
    return 0;
  }
  // Threads may share a connection; each request gets a number of its own.
  uint16_t sequence = static_cast<uint16_t>(
      std::atomic_ref<uint16_t>(conn->sequence).fetch_add(1, std::memory_order_relaxed) + 1);
  return EncodeRequestHeader(message, procedure, sequence);
}

int RpcDoCall(RpcConnection* conn, MsgBuf* message, ReplyHeader* header) {
  *header = ReplyHeader{};
  if (conn == nullptr) {
    TlsSlotSet(kNetErrBadSocket);
    return Failed(conn, header, kRpcErrSend);
  }
  // What the reply must answer: the request's procedure and sequence number.
  RequestHeader request{};
  PeekRequestHeader(message, &request);
  bool locked = conn->lock_valid && rcSynObjLock(conn->lock) == kSynObjOk;
  conn->overdue = 0;
  int sent = RpcSendRequest(conn, message);
  int received = sent && AwaitReply(conn) && RpcRecvReply(conn, message);
  if (locked) SemLeave(conn->lock);
  if (!sent) return Failed(conn, header, kRpcErrSend);
  if (!received) return Failed(conn, header, kRpcErrReceive);

  ReplyHeader reply;
  if (!ParseReplyHeader(message, &reply)) return Failed(conn, header, kRpcErrReceive);
  // A reply to another request means the connection is out of step: its
  // fields belong to a call this one knows nothing of.
  if (reply.procedure != request.procedure || reply.sequence != request.sequence) {
    TlsSlotSet(kWireErrBadRead);
    return Failed(conn, header, kRpcErrReceive);
  }
  *header = reply;
  return 1;
}

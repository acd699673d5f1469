#include "driver/lna/rpc_call.h"

#include <atomic>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/transport.h"

namespace {

thread_local RpcStatementWait* t_statement_wait = nullptr;

// Waits for the reply within its bound. A statement's reply that outlasts
// its wait runs the overdue hook once; after a cancel the reply gets a
// little more time. 1 when the reply can be read, 0 when it never came
// (code 132), also when no cancel could be delivered.
int AwaitReply(RpcConnection* conn) {
  RpcStatementWait* statement = t_statement_wait;
  if (statement != nullptr && statement->conn != conn) statement = nullptr;
  uint32_t wait = statement != nullptr ? statement->wait_ms : conn->call_wait_ms;
  // A reply that stalls half-way is bounded too: every read of it is.
  uint32_t per_read = conn->call_wait_ms;
  if (per_read == 0 && wait > 0) per_read = wait + kRpcCancelGraceMs;
  NetBoundReceives(conn->socket, per_read);
  if (wait == 0) return NetWaitReadable(conn->socket, kNetWaitForever) > 0;
  int ready = NetWaitReadable(conn->socket, wait);
  if (ready != 0) return ready > 0;
  if (statement == nullptr) return 0;
  statement->overdue = 1;
  if (statement->overdue_fn == nullptr || !statement->overdue_fn(statement->overdue_context)) {
    // The cancel's own connection left its code; the reply is what failed.
    TlsSlotSet(kNetErrTimedOut);
    return 0;
  }
  return NetWaitReadable(conn->socket, kRpcCancelGraceMs) > 0;
}

int Failed(RpcConnection* conn, ReplyHeader* header, int32_t kind) {
  if (conn != nullptr) conn->error_kind = kind;
  header->status = kReplyFailed;
  return 0;
}

}  // namespace

RpcStatementWait* RpcSetStatementWait(RpcStatementWait* wait) {
  RpcStatementWait* previous = t_statement_wait;
  t_statement_wait = wait;
  return previous;
}

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

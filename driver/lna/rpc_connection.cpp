#include "driver/lna/rpc_connection.h"

#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/frame.h"
#include "driver/lna/net_error.h"
#include "driver/lna/protocol_trace.h"
#include "wire/protocol.h"

namespace {

constexpr char kClientGreeting[] = "Some client string";

}  // namespace

RpcConnection* RpcConnOpen(const char* server, const char* /*protocol*/, uint32_t wait_ms) {
  auto* conn = static_cast<RpcConnection*>(MemAlloc(sizeof(RpcConnection)));
  if (conn == nullptr) {
    TlsSlotSet(kWireErrNoMemory);
    return nullptr;
  }
  NetDeadline deadline = NetDeadline::After(wait_ms);
  conn->transport = kNetNoSocket;
  conn->socket = kNetNoSocket;
  conn->transport = hNetConnect(server, deadline);
  if (conn->transport == kNetNoSocket) {
    MemFree(conn);
    return nullptr;
  }
  // What the connect left of the wait bounds the greeting, and then the
  // first call.
  uint32_t left = deadline.LeftMs();
  bool greeted = false;
  if (left == 0) {
    TlsSlotSet(kNetErrTimedOut);
  } else {
    NetBoundReceives(conn->transport, deadline.bounded() ? left : 0);
    greeted = RpcHandshake(conn->transport, &conn->socket, &conn->table);
  }
  if (!greeted) {
    NetClose(conn->transport);
    MemFree(conn);
    return nullptr;
  }
  if (deadline.bounded()) {
    left = deadline.LeftMs();
    conn->call_wait_ms = left > 0 ? left : 1;
  }
  // A connection whose lock could not be made still works, unlocked.
  conn->lock_valid = SynObjCreate(&conn->lock) == kSynObjOk ? 1 : 0;
  return conn;
}

int RpcHandshake(NetSocket s, NetSocket* out_socket, NetTransport* out_table) {
  OpenProtocolTrace();
  NetTransport* table = GetTcpTransport();
  if (table == nullptr) return 0;
  uint8_t greeting[kGreetingSize] = {};
  std::memcpy(greeting, kClientGreeting, sizeof kClientGreeting - 1);
  int ok =
      table->send(s, greeting, kGreetingSize) > 0 && table->read(s, greeting, kGreetingSize) > 0;
  if (ok) {
    *out_table = *table;
    *out_socket = s;
  }
  MemFree(table);
  return ok;
}

void RpcConnClose(RpcConnection* conn) {
  if (conn == nullptr) return;
  if (conn->lock_valid) SynObjDelete(&conn->lock);
  NetCloseHandle(conn->socket, &conn->table);
  MemFree(conn);
}

int RpcSendRequest(RpcConnection* conn, MsgBuf* message) {
  if (conn == nullptr) {
    TlsSlotSet(kNetErrBadSocket);
    return 0;
  }
  return RpcSendFrame(conn->socket, &conn->table, message);
}

int RpcRecvReply(RpcConnection* conn, MsgBuf* message) {
  if (conn == nullptr) {
    TlsSlotSet(kNetErrBadSocket);
    return 0;
  }
  return RpcRecvFrame(conn->socket, &conn->table, message);
}

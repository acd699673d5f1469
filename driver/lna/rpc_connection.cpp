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
  conn->transport = kNetNoSocket;
  conn->socket = kNetNoSocket;
  conn->transport = hNetConnect(server);
  if (conn->transport == kNetNoSocket) {
    MemFree(conn);
    return nullptr;
  }
  if (wait_ms > 0 && NetBoundReceives(conn->transport, wait_ms)) conn->applied_wait_ms = wait_ms;
  conn->reply_wait_ms = wait_ms;
  if (!RpcHandshake(conn->transport, &conn->socket, &conn->table)) {
    NetClose(conn->transport);
    MemFree(conn);
    return nullptr;
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

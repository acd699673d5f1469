// An RPC connection: a TCP connection to a server that has exchanged the
// greeting, carrying one request frame and one reply frame per call under
// its own lock.
#pragma once

#include <cstdint>

#include "common/syn_obj.h"
#include "driver/lna/transport.h"
#include "wire/msg_buf.h"

// Why the last call on a connection failed locally (its error kind).
enum : int32_t {
  kRpcErrNone = 0,
  kRpcErrNoBuffer = 2,  // no memory for the message buffer
  kRpcErrPack = 4,      // the request could not be packed
  kRpcErrSend = 5,      // the request could not be sent
  kRpcErrReceive = 6,   // the reply or its header could not be received
  kRpcErrUnpack = 7,    // the reply could not be unpacked or had bytes left over
};

// How long a new connection may take to connect, greet and answer its
// first call: a server that accepts and then stays silent must not hold the
// application for ever.
constexpr uint32_t kRpcDefaultWaitMs = 30000;
// How long a reply may still take once its bound passed and the overdue
// hook cancelled the call.
constexpr uint32_t kRpcCancelGraceMs = 10000;

struct RpcConnection {
  NetSocket transport;  // the socket hNetConnect returned
  uint16_t sequence;    // last sequence number used; the first request is 1
  int32_t error_kind;
  NetSocket socket;  // the socket again, once the greeting succeeded
  NetTransport table;
  SynObj* lock;
  uint32_t lock_valid;  // 1 when the lock was created
  // How long a call that runs no statement waits for its reply, and any
  // call for the rest of a reply that has begun, in milliseconds; 0 waits
  // as long as it takes. A statement's call has its own wait (rpc_call.h).
  uint32_t call_wait_ms;
};

// Connects to the server text ("host:port" or "host.port") and exchanges
// the greeting, both within `wait_ms` (0: no bound), and creates the lock;
// the connection's calls then wait for what is left of `wait_ms`, until
// call_wait_ms says otherwise. The protocol text is accepted and not used.
// Null on failure, with the code in the thread's last error (132 for a
// silent server) and nothing left open.
RpcConnection* RpcConnOpen(const char* server, const char* protocol,
                           uint32_t wait_ms = kRpcDefaultWaitMs);
// Sends the 255-byte greeting and reads the server's 255 bytes through a
// fresh transport table; on success stores the socket and the table. 1/0.
int RpcHandshake(NetSocket s, NetSocket* out_socket, NetTransport* out_table);
// Deletes the lock, closes the socket and frees the record; null is ignored.
void RpcConnClose(RpcConnection* conn);

// One request frame / one reply frame on the connection. 1, or 0 (a null
// connection fails with code 102).
int RpcSendRequest(RpcConnection* conn, MsgBuf* message);
int RpcRecvReply(RpcConnection* conn, MsgBuf* message);

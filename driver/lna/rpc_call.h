// One remote call on an RPC connection: the request header, then the send
// and the receive under the connection's lock, then the reply header.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/msg_buf.h"
#include "wire/protocol.h"

// Called once when a statement's reply outlasts its wait; true when it asked
// the server to end the call, so that the reply is worth waiting for a
// little longer.
using RpcOverdueFn = bool (*)(void* context);

// How the calling thread's calls on `conn` wait for their replies while
// they run a statement (installed by the call layer around such a call):
// `wait_ms` instead of the connection's call wait, 0 as long as it takes.
struct RpcStatementWait {
  RpcConnection* conn;
  uint32_t wait_ms;
  RpcOverdueFn overdue_fn;  // may be null
  void* overdue_context;
  uint32_t overdue;  // set to 1 when a reply outlasted wait_ms
};

// Installs `wait` for the calling thread (null: none) and returns the one
// it replaces.
RpcStatementWait* RpcSetStatementWait(RpcStatementWait* wait);

// Advances the connection's sequence number and writes the request header.
// 1/0; a null message or connection fails (code 102 for the connection).
int RpcBeginCall(MsgBuf* message, RpcConnection* conn, uint32_t procedure);
// Sends the message and reads the reply into it, holding the connection's
// lock, then reads the reply header, which must name the request's procedure
// and sequence number; its status is the procedure's result on the server.
// The reply is waited for as the thread's statement wait says, else for the
// connection's call wait. 1; or 0 with header->status -20 and the
// connection's error kind 5 (send) or 6 (receive, header; 132 for a reply
// that did not come in time, 202 for a reply to another request).
int RpcDoCall(RpcConnection* conn, MsgBuf* message, ReplyHeader* header);

// One remote call on an RPC connection: the request header, then the send
// and the receive under the connection's lock, then the reply header.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/msg_buf.h"
#include "wire/protocol.h"

// Status of a call that failed on the client's side.
constexpr int16_t kRpcFailed = -20;

// Advances the connection's sequence number and writes the request header.
// 1/0; a null message or connection fails (code 102 for the connection).
int RpcBeginCall(MsgBuf* message, RpcConnection* conn, uint32_t procedure);
// Sends the message and reads the reply into it, holding the connection's
// lock, then reads the reply header, which must name the request's procedure
// and sequence number; its status is the procedure's result on the server.
// 1; or 0 with header->status -20 and the connection's
// error kind 5 (send) or 6 (receive, header; 202 for a reply to another
// request).
int RpcDoCall(RpcConnection* conn, MsgBuf* message, ReplyHeader* header);

// The driver's frames: every request and every reply travels in a frame
// (wire/protocol.h) through the connection's transport table.
#pragma once

#include <cstdint>

#include "driver/lna/transport.h"
#include "wire/msg_buf.h"

// The largest payload a received frame may announce: far beyond any real
// reply, and small enough that a corrupt length cannot exhaust memory.
constexpr uint32_t kRpcMaxPayload = 256u << 20;

// Writes the message's length into its first 4 bytes and sends it in one
// frame through the table's send slot. 1, or 0 with the code in the thread's
// last error.
int RpcSendFrame(NetSocket s, const NetTransport* table, MsgBuf* message);
// Reads one frame into the message (write length = payload length, read
// position 0), growing it with the payload bytes as they arrive. A wrong
// magic, length fields that disagree, or a payload shorter than a message
// header or above kRpcMaxPayload fail with 202; short reads with the
// transport's code.
int RpcRecvFrame(NetSocket s, const NetTransport* table, MsgBuf* message);

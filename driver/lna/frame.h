// Frames: every request and every reply travels as a 16-byte frame header
// (magic, frame length, two zero words, payload length; big-endian) and the
// message as its payload, whose own first 4 bytes repeat the payload length.
#pragma once

#include <cstdint>

#include "driver/lna/transport.h"
#include "wire/msg_buf.h"

constexpr uint32_t kRpcFrameMagic = 0x27B25D1A;
constexpr uint32_t kRpcFrameHeaderSize = 16;
// The largest payload a received frame may announce: far beyond any real
// reply, and small enough that a corrupt length cannot exhaust memory.
constexpr uint32_t kRpcMaxPayload = 256u << 20;

// Writes the message's length into its first 4 bytes and sends it in one
// frame through the table's send slot. 1, or 0 with the code in the thread's
// last error.
int RpcSendFrame(NetSocket s, const NetTransport* table, MsgBuf* message);
// Reads one frame into the message (write length = payload length, read
// position 0). A wrong magic, length fields that disagree, or a payload
// length of 4 or less or above kRpcMaxPayload fail with 202; short reads
// with the transport's code.
int RpcRecvFrame(NetSocket s, const NetTransport* table, MsgBuf* message);

#include "driver/lna/frame.h"

#include <cstdint>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"

namespace {

uint32_t LoadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void StoreBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

int Fail(uint32_t code) {
  TlsSlotSet(code);
  return 0;
}

bool ReadAll(NetSocket s, const NetTransport* table, void* into, uint32_t n) {
  return table->read(s, into, static_cast<int32_t>(n)) > 0;
}

}  // namespace

int RpcSendFrame(NetSocket s, const NetTransport* table, MsgBuf* message) {
  if (table == nullptr || table->send == nullptr) return Fail(kNetErrBadSocket);
  uint32_t n = message->write_len;
  // The message starts with its length slot; a frame beyond what the send
  // slot's length can tell is not sent.
  if (n < 4 || n > INT32_MAX - kRpcFrameHeaderSize) return Fail(kWireErrCannotGrow);
  StoreBe32(message->data, n);

  MsgBuf* frame = MsgBufCreate();
  if (frame == nullptr) return 0;
  int ok = MsgBufPutU32(frame, kRpcFrameMagic) && MsgBufPutU32(frame, n + kRpcFrameHeaderSize) &&
           MsgBufPutU16(frame, 0) && MsgBufPutU16(frame, 0) && MsgBufPutU32(frame, n) &&
           MsgBufPutBytes(frame, message->data, n);
  if (ok) {
    ok = table->send(s, frame->data, static_cast<int32_t>(frame->write_len)) != -1;
  }
  MsgBufFree(frame);
  return ok;
}

int RpcRecvFrame(NetSocket s, const NetTransport* table, MsgBuf* message) {
  message->write_len = 0;
  message->read_pos = 0;
  if (table == nullptr || table->read == nullptr) return Fail(kNetErrBadSocket);

  uint8_t head[kRpcFrameHeaderSize];
  if (!ReadAll(s, table, head, 4)) return 0;
  if (LoadBe32(head) != kRpcFrameMagic) return Fail(kWireErrBadRead);
  if (!ReadAll(s, table, head + 4, 12)) return 0;
  uint32_t frame_length = LoadBe32(head + 4);
  uint32_t payload_length = LoadBe32(head + 12);

  // The payload's own length slot; room for it is always there.
  if (!MsgBufReserve(message, 4)) return 0;
  if (!ReadAll(s, table, message->data, 4)) return 0;
  message->write_len = 4;
  uint32_t length = LoadBe32(message->data);
  if (length <= 4 || length > kRpcMaxPayload || payload_length != length ||
      frame_length != length + kRpcFrameHeaderSize) {
    message->write_len = 0;
    return Fail(kWireErrBadRead);
  }
  int ok = MsgBufReserve(message, length - 4) && ReadAll(s, table, message->data + 4, length - 4);
  message->write_len = ok ? length : 0;
  message->read_pos = 0;
  return ok;
}

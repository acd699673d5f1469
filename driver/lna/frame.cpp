#include "driver/lna/frame.h"

#include <cstdint>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "wire/byte_order.h"
#include "wire/protocol.h"

namespace {

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
  if (n < 4 || n > INT32_MAX - kFrameHeaderSize) return Fail(kWireErrCannotGrow);
  SetLengthSlot(message);

  MsgBuf* frame = MsgBufCreate();
  if (frame == nullptr) return 0;
  uint8_t head[kFrameHeaderSize];
  EncodeFrameHeader(n, head);
  int ok = MsgBufPutBytes(frame, head, kFrameHeaderSize) && MsgBufPutBytes(frame, message->data, n);
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

  uint8_t head[kFrameHeaderSize];
  // A wrong magic fails at once: nothing after it can be trusted to come.
  if (!ReadAll(s, table, head, 4)) return 0;
  if (LoadBe32(head) != kFrameMagic) return Fail(kWireErrBadRead);
  if (!ReadAll(s, table, head + 4, kFrameHeaderSize - 4)) return 0;
  FrameHeader header = ParseFrameHeader(head);

  // The payload's own length slot; room for it is always there.
  if (!MsgBufReserve(message, 4)) return 0;
  if (!ReadAll(s, table, message->data, 4)) return 0;
  message->write_len = 4;
  uint32_t length = LoadBe32(message->data);
  if (!FrameHeaderValid(header, kRpcMaxPayload) || header.payload_length != length) {
    message->write_len = 0;
    return Fail(kWireErrBadRead);
  }
  // Room is made as the bytes come, so that a peer declaring a payload
  // it never sends costs no more than what it did send.
  int ok = 1;
  while (ok && message->write_len < length) {
    uint32_t step = FrameReadStep(message->write_len, length);
    ok =
        MsgBufReserve(message, step) && ReadAll(s, table, message->data + message->write_len, step);
    if (ok) message->write_len += step;
  }
  if (!ok) message->write_len = 0;
  message->read_pos = 0;
  return ok;
}

#include "wire/protocol.h"

#include "wire/byte_order.h"

namespace {

// Where the fields lie in a message header.
constexpr uint32_t kProcedureAt = 4;
constexpr uint32_t kSequenceAt = 8;
constexpr uint32_t kStatusAt = 10;

// Both headers end in a word that is always 1.
constexpr uint16_t kHeaderEnd = 1;

}  // namespace

void EncodeFrameHeader(uint32_t payload_length, uint8_t out[kFrameHeaderSize]) {
  StoreBe32(out, kFrameMagic);
  StoreBe32(out + 4, payload_length + kFrameHeaderSize);
  StoreBe16(out + 8, 0);
  StoreBe16(out + 10, 0);
  StoreBe32(out + 12, payload_length);
}

FrameHeader ParseFrameHeader(const uint8_t in[kFrameHeaderSize]) {
  return FrameHeader{LoadBe32(in), LoadBe32(in + 4), LoadBe32(in + 12)};
}

bool FrameHeaderValid(const FrameHeader& header, uint32_t max_payload) {
  return header.magic == kFrameMagic && header.payload_length >= kMessageHeaderSize &&
         header.payload_length <= max_payload &&
         uint64_t{header.payload_length} + kFrameHeaderSize == header.frame_length;
}

uint32_t FrameReadStep(uint32_t have, uint32_t payload_length) {
  if (have >= payload_length) return 0;
  uint32_t left = payload_length - have;
  uint32_t step = have > kFrameFirstReadStep ? have : kFrameFirstReadStep;
  return left < step ? left : step;
}

void SetLengthSlot(MsgBuf* message) {
  StoreBe32(message->data, message->write_len);
}

int EncodeRequestHeader(MsgBuf* message, uint32_t procedure, uint16_t sequence) {
  return MsgBufPutU32(message, 0) && MsgBufPutU32(message, procedure) &&
         MsgBufPutU16(message, sequence) && MsgBufPutU16(message, sequence) &&
         MsgBufPutU16(message, kHeaderEnd);
}

int EncodeReplyHeader(MsgBuf* message, uint32_t procedure, uint16_t sequence, int16_t status) {
  return MsgBufPutU32(message, 0) && MsgBufPutU32(message, procedure) &&
         MsgBufPutU16(message, sequence) && MsgBufPutU16(message, static_cast<uint16_t>(status)) &&
         MsgBufPutU16(message, kHeaderEnd);
}

int ParseRequestHeader(MsgBuf* message, RequestHeader* header) {
  uint16_t sequence_again, end;
  return MsgBufGetU32(message, &header->length) && MsgBufGetU32(message, &header->procedure) &&
         MsgBufGetU16(message, &header->sequence) && MsgBufGetU16(message, &sequence_again) &&
         MsgBufGetU16(message, &end);
}

int ParseReplyHeader(MsgBuf* message, ReplyHeader* header) {
  uint16_t status, end;
  if (!MsgBufGetU32(message, &header->length) || !MsgBufGetU32(message, &header->procedure) ||
      !MsgBufGetU16(message, &header->sequence) || !MsgBufGetU16(message, &status) ||
      !MsgBufGetU16(message, &end))
    return 0;
  header->status = static_cast<int16_t>(status);
  return 1;
}

bool PeekRequestHeader(const MsgBuf* message, RequestHeader* header) {
  if (message == nullptr || message->write_len < kMessageHeaderSize) return false;
  header->length = LoadBe32(message->data);
  header->procedure = LoadBe32(message->data + kProcedureAt);
  header->sequence = LoadBe16(message->data + kSequenceAt);
  return true;
}

void SetReplyStatus(MsgBuf* reply, int16_t status) {
  StoreBe16(reply->data + kStatusAt, static_cast<uint16_t>(status));
}

// Test helpers: expected wire images are spelled out byte by byte (or from
// these big-endian builders), never produced by the codecs under test.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "wire/msg_buf.h"

namespace wire_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Be16(uint16_t v) {
  return {uint8_t(v >> 8), uint8_t(v)};
}
inline Bytes Be32(uint32_t v) {
  return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}
// A string as it travels: i32 length, then its bytes.
inline Bytes Str(std::string_view s) {
  auto n = static_cast<uint32_t>(s.size());
  Bytes out;
  out.reserve(4 + s.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(n >> shift));
  out.insert(out.end(), s.begin(), s.end());
  return out;
}
inline Bytes Null() {
  return Be32(0xFFFFFFFFu);
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct BufDeleter {
  void operator()(MsgBuf* b) const { MsgBufFree(b); }
};
using BufPtr = std::unique_ptr<MsgBuf, BufDeleter>;

inline BufPtr NewBuf() {
  return BufPtr(MsgBufCreate());
}

// A buffer holding `bytes` as a received reply, read position 0.
inline BufPtr BufFrom(const Bytes& bytes) {
  BufPtr buf = NewBuf();
  MsgBufPutBytes(buf.get(), bytes.data(), static_cast<uint32_t>(bytes.size()));
  return buf;
}

inline Bytes Written(const MsgBuf* buf) {
  return Bytes(buf->data, buf->data + buf->write_len);
}

}  // namespace wire_test

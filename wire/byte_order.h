// The wire's byte order: every number travels big-endian. The one set of
// loads and stores the codecs, the frame readers and writers and the tests'
// byte builders share.
#pragma once

#include <cstdint>

inline uint16_t LoadBe16(const uint8_t* p) {
  return static_cast<uint16_t>((uint32_t{p[0]} << 8) | p[1]);
}

inline uint32_t LoadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline uint64_t LoadBe64(const uint8_t* p) {
  return (uint64_t{LoadBe32(p)} << 32) | LoadBe32(p + 4);
}

inline void StoreBe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

inline void StoreBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// The low `width` bytes (1 to 8) of `value`, most significant first.
inline void StoreBeN(uint8_t* p, uint64_t value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    p[i] = static_cast<uint8_t>(value);
    value >>= 8;
  }
}

inline uint64_t LoadBeN(const uint8_t* p, int width) {
  uint64_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | p[i];
  return value;
}

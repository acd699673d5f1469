// Bit fields packed least significant bit first, each byte filled from bit 0
// upward, as column blocks carry their lengths and dictionary indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes that `count` fields of `width` bits occupy, padded to a whole byte.
inline uint64_t PackedBytes(uint64_t count, uint32_t width) {
  return (count * width + 7) / 8;
}

// The `width`-bit field (0 to 16) at bit position `bit` of `area`. Reads only
// the bytes the field covers.
inline uint32_t ReadPackedBits(const uint8_t* area, uint64_t bit, uint32_t width) {
  if (width == 0) return 0;
  const uint8_t* p = area + (bit >> 3);
  uint32_t shift = static_cast<uint32_t>(bit & 7);
  uint32_t covered = (shift + width + 7) / 8;
  uint32_t acc = p[0];
  if (covered > 1) acc |= static_cast<uint32_t>(p[1]) << 8;
  if (covered > 2) acc |= static_cast<uint32_t>(p[2]) << 16;
  return (acc >> shift) & ((1u << width) - 1);
}

// Appends fields to a byte vector; Finish pads the last byte with zero bits.
class PackedBitWriter {
 public:
  explicit PackedBitWriter(std::vector<uint8_t>* out) : out_(out) {}

  // Appends the low `width` bits (0 to 32) of `value`.
  void Put(uint32_t value, uint32_t width) {
    if (width == 0) return;
    uint64_t masked = width >= 32 ? value : (value & ((1u << width) - 1));
    acc_ |= masked << held_;
    held_ += width;
    while (held_ >= 8) {
      out_->push_back(static_cast<uint8_t>(acc_));
      acc_ >>= 8;
      held_ -= 8;
    }
  }

  void Finish() {
    if (held_ > 0) out_->push_back(static_cast<uint8_t>(acc_));
    acc_ = 0;
    held_ = 0;
  }

 private:
  std::vector<uint8_t>* out_;
  uint64_t acc_ = 0;
  uint32_t held_ = 0;
};

#include "wire/huffman_encoder.h"

#include "wire/huffman.h"
#include "wire/packed_bits.h"

namespace {

struct Code {
  uint16_t bits;
  uint8_t length;  // 0: the byte goes through the escape
};

}  // namespace

int HuffmanEncode(const uint16_t* table, const uint8_t* input, uint32_t length,
                  std::vector<uint8_t>* out) {
  // A code of length d fills every entry whose low d bits are the code, so
  // its first (lowest) entry is the code itself.
  Code codes[256] = {};
  for (uint32_t t = 0; t < 256; ++t) {
    uint16_t e = table[t];
    if (e == 0) continue;
    Code& c = codes[e & 0xFF];
    if (c.length == 0) c = {static_cast<uint16_t>(t), static_cast<uint8_t>(e >> 8)};
  }
  const uint32_t escape_length = table[kHuffmanEscapeEntry] >> 8;
  const uint32_t escape_code = table[kHuffmanEscapeEntry] & 0xFF;
  // The escape is recognised by a zero entry under its 8-bit look-up; one
  // longer than 8 bits (no escape in the tree) cannot be sent.
  const bool escape_usable =
      escape_length <= 8 && table[escape_code & ((1u << escape_length) - 1)] == 0;

  for (uint32_t i = 0; i < length; ++i)
    if (codes[input[i]].length == 0 && !escape_usable) return 0;

  out->reserve(out->size() + length);
  PackedBitWriter writer(out);
  for (uint32_t i = 0; i < length; ++i) {
    const Code& c = codes[input[i]];
    if (c.length != 0) {
      writer.Put(c.bits, c.length);
    } else {
      writer.Put(escape_code, escape_length);
      writer.Put(input[i], 8);
    }
  }
  writer.Finish();
  return 1;
}

// Huffman decompression of column blocks. The code is never transmitted:
// client and server both build it from the byte counts of the previous block
// of the same column, so the tree rules below must be followed to the bit.
#pragma once

#include <cstdint>

// 256 entries indexed by the next 8 input bits, then the escape entry.
constexpr uint32_t kHuffmanTableSize = 257;
constexpr uint32_t kHuffmanEscapeEntry = 256;

// Byte statistics of a block: count[b] + 1 (wrapping) for every byte b of
// `data`, after zeroing the 256 counts. Entry 256 is left alone.
void CountBlockBytes(uint16_t* counts, const uint8_t* data, uint32_t length);

// Builds the decode table from 256 byte counts; `table` and `counts` may be
// the same array. Entry t (0 to 255) is (code length << 8) + symbol for the
// code held in the low bits of t, or 0 when those bits begin the escape code.
// Entry 256 is (escape length << 8) + escape code; an escape is followed by
// the 8 bits of a literal byte.
void BuildHuffmanTable(uint16_t* table, const uint16_t* counts);

// Decodes `input` with `table` into `output`. Returns the bytes written, or
// -1 when the input holds more than fits the output. Once the output is
// exactly full, fewer than 8 bits left over are the zero padding of the last
// byte. Sizes stay below 2^31.
int32_t HuffmanDecode(const uint16_t* table, const uint8_t* input, uint32_t input_length,
                      uint8_t* output, uint32_t output_size);

// Huffman compression for the server's side of a column block, the mirror of
// HuffmanDecode: the code is read off the decode table itself, so whatever
// this writes decodes bit for bit.
#pragma once

#include <cstdint>
#include <vector>

// Appends the code of `input` under `table` (from BuildHuffmanTable) to *out,
// the last byte padded with zero bits. Bytes without a code of their own go
// as the escape code and their 8 bits. 0 (nothing appended) when a byte has
// neither, which no table built from counts allows.
int HuffmanEncode(const uint16_t* table, const uint8_t* input, uint32_t length,
                  std::vector<uint8_t>* out);

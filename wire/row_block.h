// Decoding of the column blocks an array fetch brings: one block per result
// column, holding that column's values for the block's rows with bit-packed
// lengths, null flags, an optional dictionary and optional Huffman
// compression.
//
// A column block on the wire (numbers big-endian, packed fields least
// significant bit first):
//   u16 header   bit 0 null flag N, bits 1-4 length width W, bits 5-14
//                dictionary size D, bit 15 compressed; 1 alone: all null
//   u16 L        fixed length, when there are rows and the header is not 1
//   lengths      W > 0: E fields of W bits (E = D, or the rows without a
//                dictionary), padded to a byte; with N and no dictionary a
//                field 0 is a null and v gives L + v - 1, otherwise L + v
//   indices      D > 0: one field per row of B bits, B the bit count of
//                D - 1 + N, padded to a byte; i < N is null, else entry i - N
//   u16 K        when compressed, then K bytes of Huffman code
//   value data   otherwise, in place: the D entries, or one value per row
#pragma once

#include <cstdint>

// One per result column, zero when created; the statistics carry from one
// block of the column to the next.
struct RowBlockDecoder {
  uint32_t null_flag;         // N
  uint32_t length_width;      // W
  uint32_t dictionary_size;   // D
  uint32_t fixed_length;      // L
  uint32_t length_entries;    // E
  uint32_t index_width;       // B
  const uint8_t* indices;     // packed indices, inside the row block
  const uint8_t* value_data;  // inside the row block, or owned when decompressed
  uint32_t value_length;      // bytes of value data
  uint32_t* offsets;          // E + 1 starts; bit 31 of entry j: value j is null
  uint32_t next_value;        // index of the value NextBlockValue hands out next
  uint32_t owns_value_data;   // 1: value_data was decompressed into an owned block
  uint16_t* statistics;       // 257 entries: the previous block's byte counts
  uint32_t rows;              // values in the current block
  // Set by a caller that keeps each row block until the next block of the
  // result is decoded: a block's bytes are then counted only once a block
  // of the column comes compressed, or keeps its statistics. Until then they
  // wait here.
  uint32_t defer_statistics;
  uint32_t uncounted_waiting;  // 1: the value data below is not counted yet
  const uint8_t* uncounted;
  uint32_t uncounted_length;
};

// Parses the column block at `block`, of which `available` bytes remain in the
// row block, for `rows` values. Sets *consumed to the bytes from the header to
// the end of the value (or compressed) data, where the next column block
// begins. Unless `keep_statistics` is set, the block's bytes become the
// statistics its successor is compressed with. 1 on success; 0 for a block
// whose fields reach past `available`, whose index leaves the dictionary,
// whose decompressed length differs from its value data, that is compressed
// before the column has statistics, or when memory runs out (the decoder's
// buffers are then freed).
int DecodeRowBlock(RowBlockDecoder* decoder, const uint8_t* block, uint32_t available,
                   uint32_t rows, uint32_t* consumed, int keep_statistics);

// The next value's length, or -1 for a null (also once the block's values
// are used up). The value is copied into `buffer` when its length is at least
// 1 and at most `buffer_size` and the buffer is not null; otherwise nothing is
// copied and the length is still returned.
int32_t NextBlockValue(RowBlockDecoder* decoder, uint8_t* buffer, int32_t buffer_size);

// As NextBlockValue, but nothing is copied: *value points at the value's
// bytes in the decoder's value data (valid until the next block is decoded
// or freed), null for a null.
int32_t NextBlockValueView(RowBlockDecoder* decoder, const uint8_t** value);

// Frees the owned value data, the offsets and the statistics.
void FreeRowBlock(RowBlockDecoder* decoder);

// The server's side of a column block: writes one column's values for a row
// block in a form DecodeRowBlock reads back value for value, and keeps the
// same statistics the client's decoder keeps, so that a compressed block is
// coded with the table the client will build.
#pragma once

#include <cstdint>
#include <vector>

// Limits every block keeps so that the client can read it.
constexpr uint32_t kMaxDictionarySize = 1023;
// A dictionary index's bit position is taken modulo 65536 by the client, so
// rows × index width stays within it.
constexpr uint32_t kMaxIndexBits = 65536;
constexpr uint32_t kMaxLengthWidth = 15;
constexpr uint32_t kMaxCompressedLength = 0xFFFF;
// The longest value a column block carries: its fixed length at most 65535,
// plus a packed length of 15 bits, one step of which may mark a null.
constexpr uint32_t kMaxBlockValue = 0xFFFF + (1u << kMaxLengthWidth) - 2;

// Whether non-null values of lengths from `min_length` to `max_length` fit
// one column block, nulls among them or not.
bool BlockLengthsFit(uint32_t min_length, uint32_t max_length);

// One value of the column: `length` bytes at `data`, or length -1 for null.
struct BlockValue {
  const uint8_t* data;
  int32_t length;
};

enum class BlockForm {
  kSmallest,       // whichever of the forms below is smallest
  kAllNull,        // header 1: every value null
  kFixedLength,    // no lengths: every value L bytes
  kPackedLengths,  // one packed length per row, a null flagged by 0
  kDictionary,     // distinct values once, one packed index per row
};

enum class BlockCompression {
  kNone,
  kIfSmaller,  // when the code is shorter than the value data
  kAlways,     // whenever the client can decode it
  // No block of the column will ever be compressed: no statistics are kept
  // (those of the client go their own way, unused).
  kNever,
};

// One per result column, zero when created; lives as long as the client's
// decoder of that column does.
struct ColumnBlockEncoder {
  uint16_t* statistics;  // 257 entries, as the client's decoder holds them
};

// Appends the column block of `rows` values to *out. `keep_statistics` must
// be what the client will be told (the block's status is not 0). Compression
// needs statistics, so the first block of a column is never compressed, nor
// is a block without value data. 1 on success; 0 when the values cannot be
// sent in the form asked for (or in any form: a length above 65535, a spread
// of lengths beyond 15 bits) or memory runs out: then nothing is appended and
// the statistics are unchanged.
int EncodeColumnBlock(ColumnBlockEncoder* encoder, const BlockValue* values, uint32_t rows,
                      BlockForm form, BlockCompression compression, int keep_statistics,
                      std::vector<uint8_t>* out);

void FreeColumnBlockEncoder(ColumnBlockEncoder* encoder);

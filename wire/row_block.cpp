#include "wire/row_block.h"

#include <bit>
#include <cstring>

#include "common/memory.h"
#include "wire/byte_order.h"
#include "wire/huffman.h"
#include "wire/packed_bits.h"

namespace {

constexpr uint32_t kNullMark = 0x80000000u;
// Offsets keep bit 31 for the null mark, so value data stays below it.
constexpr uint64_t kMaxValueData = 0x7FFFFFFFu;
constexpr uint16_t kAllNullHeader = 1;

inline uint32_t BitCount(uint32_t v) {
  return static_cast<uint32_t>(std::bit_width(v));
}

// Drops what belonged to the previous block; the offsets' storage and the
// statistics stay for reuse, and so does the caller's choice of counting.
void ClearBlock(RowBlockDecoder* d) {
  if (d->owns_value_data) MemFree(const_cast<uint8_t*>(d->value_data));
  uint32_t* offsets = d->offsets;
  uint16_t* statistics = d->statistics;
  uint32_t defer = d->defer_statistics;
  *d = RowBlockDecoder{};
  d->offsets = offsets;
  d->statistics = statistics;
  d->defer_statistics = defer;
}

// The statistics of value data, in place of the previous ones.
bool Count(RowBlockDecoder* d, const uint8_t* data, uint32_t length) {
  if (d->statistics == nullptr) {
    d->statistics = static_cast<uint16_t*>(MemAlloc(kHuffmanTableSize * sizeof(uint16_t)));
    if (d->statistics == nullptr) return false;
  }
  CountBlockBytes(d->statistics, data, length);
  return true;
}

// Values are mostly short: copies of up to 16 bytes without a call, and
// never a byte past the value.
inline void CopyValue(uint8_t* to, const uint8_t* from, uint32_t length) {
  if (length >= 8 && length <= 16) {
    std::memcpy(to, from, 8);
    std::memcpy(to + length - 8, from + length - 8, 8);
  } else if (length >= 4 && length < 8) {
    std::memcpy(to, from, 4);
    std::memcpy(to + length - 4, from + length - 4, 4);
  } else if (length < 4) {
    for (uint32_t i = 0; i < length; ++i) to[i] = from[i];
  } else {
    std::memcpy(to, from, length);
  }
}

int Refuse(RowBlockDecoder* d) {
  uint32_t defer = d->defer_statistics;
  FreeRowBlock(d);
  d->defer_statistics = defer;
  return 0;
}

bool EnsureOffsets(RowBlockDecoder* d, uint64_t count) {
  size_t bytes = static_cast<size_t>(count) * sizeof(uint32_t);
  if (d->offsets != nullptr && MemSize(d->offsets) >= bytes) return true;
  MemFree(d->offsets);
  d->offsets = static_cast<uint32_t*>(MemAlloc(bytes));
  return d->offsets != nullptr;
}

}  // namespace

int DecodeRowBlock(RowBlockDecoder* decoder, const uint8_t* block, uint32_t available,
                   uint32_t rows, uint32_t* consumed, int keep_statistics) {
  if (consumed != nullptr) *consumed = 0;
  if (decoder == nullptr) return 0;
  RowBlockDecoder* d = decoder;
  // The previous block's bytes, not counted yet, are still there (the
  // caller keeps them, or they were decompressed here): counted now if this
  // block needs them or keeps them as its statistics.
  if (d->uncounted_waiting) {
    bool compressed_block = rows > 0 && block != nullptr && available >= 2 &&
                            (LoadBe16(block) & 0x8000) != 0 && LoadBe16(block) != kAllNullHeader;
    bool counted = !(compressed_block || keep_statistics) ||
                   Count(d, d->uncounted, d->uncounted_length);
    d->uncounted_waiting = 0;
    d->uncounted = nullptr;
    d->uncounted_length = 0;
    if (!counted) {
      ClearBlock(d);
      return Refuse(d);
    }
  }
  ClearBlock(decoder);
  if (block == nullptr || available < 2) return Refuse(d);

  // Every field is checked against what is left before it is read.
  uint64_t pos = 0;
  auto left = [&] { return available - pos; };

  uint32_t header = LoadBe16(block);
  pos = 2;
  bool compressed = false;
  if (rows > 0) {
    if (header != kAllNullHeader) {
      if (left() < 2) return Refuse(d);
      d->fixed_length = LoadBe16(block + pos);
      pos += 2;
    }
    d->null_flag = header & 1;
    d->length_width = (header >> 1) & 0xF;
    d->dictionary_size = (header >> 5) & 0x3FF;
    compressed = (header & 0x8000) != 0;
  }
  d->rows = rows;
  const uint32_t n = d->null_flag;
  const uint32_t w = d->length_width;
  const uint32_t dict = d->dictionary_size;
  const uint64_t fixed = d->fixed_length;

  uint64_t value_length;
  if (w > 0) {
    const uint32_t entries = dict > 0 ? dict : rows;
    const uint64_t bytes = PackedBytes(entries, w);
    if (bytes > left()) return Refuse(d);
    if (!EnsureOffsets(d, static_cast<uint64_t>(entries) + 1)) return Refuse(d);
    d->length_entries = entries;
    const uint8_t* packed = block + pos;
    const bool zero_is_null = n != 0 && dict == 0;
    uint64_t total = 0;
    for (uint32_t j = 0; j < entries; ++j) {
      uint32_t v = ReadPackedBits(packed, static_cast<uint64_t>(j) * w, w);
      if (zero_is_null && v == 0) {
        d->offsets[j] = static_cast<uint32_t>(total) | kNullMark;
        continue;
      }
      d->offsets[j] = static_cast<uint32_t>(total);
      total += fixed + v - (zero_is_null ? 1 : 0);
      if (total > kMaxValueData) return Refuse(d);
    }
    d->offsets[entries] = static_cast<uint32_t>(total);
    value_length = total;
    pos += bytes;
  } else {
    value_length = fixed * (dict > 0 ? dict : rows);
  }
  if (value_length > kMaxValueData) return Refuse(d);

  if (dict > 0) {
    const uint32_t b = BitCount(dict - 1 + n);
    const uint64_t bytes = PackedBytes(rows, b);
    if (bytes > left()) return Refuse(d);
    d->index_width = b;
    d->indices = block + pos;
    // Checked once here, so that handing out values cannot fail later.
    if (b > 0) {
      for (uint32_t i = 0; i < rows; ++i)
        if (ReadPackedBits(d->indices, static_cast<uint64_t>(i) * b, b) >= dict + n)
          return Refuse(d);
    }
    pos += bytes;
  }

  uint32_t packed_length = 0;
  if (compressed) {
    if (left() < 2) return Refuse(d);
    packed_length = LoadBe16(block + pos);
    pos += 2;
  }
  d->value_length = static_cast<uint32_t>(value_length);

  if (packed_length > 0) {
    if (packed_length > left() || d->statistics == nullptr) return Refuse(d);
    // Every code takes at least one bit.
    if (value_length > 8ull * packed_length) return Refuse(d);
    auto* out = static_cast<uint8_t*>(MemAlloc(value_length));
    if (out == nullptr) return Refuse(d);
    d->value_data = out;
    d->owns_value_data = 1;
    BuildHuffmanTable(d->statistics, d->statistics);
    int32_t decoded = HuffmanDecode(d->statistics, block + pos, packed_length, out,
                                    static_cast<uint32_t>(value_length));
    if (decoded < 0 || static_cast<uint64_t>(decoded) != value_length) return Refuse(d);
    pos += packed_length;
  } else {
    if (value_length > left()) return Refuse(d);
    d->value_data = block + pos;
    pos += value_length;
  }

  if (!keep_statistics) {
    if (d->defer_statistics) {
      d->uncounted_waiting = 1;
      d->uncounted = d->value_data;
      d->uncounted_length = d->value_length;
    } else if (!Count(d, d->value_data, d->value_length)) {
      return Refuse(d);
    }
  }
  if (consumed != nullptr) *consumed = static_cast<uint32_t>(pos);
  return 1;
}

namespace {

// Where the next value lies in the value data; false for a null (also once
// the block's values are used up). Moves on to the value after it.
bool TakeNextValue(RowBlockDecoder* d, uint64_t* start, uint32_t* length) {
  if (d == nullptr || d->next_value >= d->rows) return false;
  const uint32_t i = d->next_value++;
  if (d->dictionary_size > 0) {
    uint32_t entry = 0;
    if (d->index_width > 0) {
      uint32_t index =
          ReadPackedBits(d->indices, static_cast<uint64_t>(i) * d->index_width, d->index_width);
      if (index < d->null_flag) return false;
      entry = index - d->null_flag;
    }
    if (d->length_width > 0) {
      // Also for a one-entry dictionary: the entry's own length, not L.
      *start = d->offsets[entry];
      *length = d->offsets[entry + 1] - d->offsets[entry];
    } else {
      *start = static_cast<uint64_t>(entry) * d->fixed_length;
      *length = d->fixed_length;
    }
  } else if (d->length_width > 0) {
    if (d->offsets[i] & kNullMark) return false;
    *start = d->offsets[i] & ~kNullMark;
    *length = (d->offsets[i + 1] & ~kNullMark) - static_cast<uint32_t>(*start);
  } else {
    if (d->null_flag) return false;
    *start = static_cast<uint64_t>(i) * d->fixed_length;
    *length = d->fixed_length;
  }
  return true;
}

}  // namespace

int32_t NextBlockValue(RowBlockDecoder* decoder, uint8_t* buffer, int32_t buffer_size) {
  uint64_t start = 0;
  uint32_t length = 0;
  if (!TakeNextValue(decoder, &start, &length)) return -1;
  if (length >= 1 && buffer != nullptr && buffer_size >= 0 &&
      length <= static_cast<uint32_t>(buffer_size))
    CopyValue(buffer, decoder->value_data + start, length);
  return static_cast<int32_t>(length);
}

int32_t NextBlockValueView(RowBlockDecoder* decoder, const uint8_t** value) {
  uint64_t start = 0;
  uint32_t length = 0;
  *value = nullptr;
  if (!TakeNextValue(decoder, &start, &length)) return -1;
  *value = decoder->value_data + start;
  return static_cast<int32_t>(length);
}

void FreeRowBlock(RowBlockDecoder* decoder) {
  if (decoder == nullptr) return;
  if (decoder->owns_value_data) MemFree(const_cast<uint8_t*>(decoder->value_data));
  MemFree(decoder->offsets);
  MemFree(decoder->statistics);
  *decoder = RowBlockDecoder{};
}

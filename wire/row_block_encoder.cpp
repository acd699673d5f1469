#include "wire/row_block_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <string_view>

#include "common/memory.h"
#include "wire/byte_order.h"
#include "wire/huffman.h"
#include "wire/huffman_encoder.h"
#include "wire/packed_bits.h"

namespace {

constexpr uint32_t kMaxFixedLength = 0xFFFF;
constexpr uint64_t kMaxValueData = 0x7FFFFFFFu;
constexpr uint64_t kNotPossible = UINT64_MAX;

inline uint32_t BitCount(uint32_t v) {
  return static_cast<uint32_t>(std::bit_width(v));
}

std::string_view View(const BlockValue& v) {
  return {reinterpret_cast<const char*>(v.data), static_cast<size_t>(v.length)};
}

// What the values allow, and each form's size before compression.
struct Shape {
  uint32_t nulls = 0;
  uint32_t min_length = 0;  // over the non-null values; 0 when there are none
  uint32_t max_length = 0;
  uint64_t total = 0;  // bytes of the non-null values
  // Dictionary: the row of each entry's first use, and each row's entry.
  std::vector<uint32_t> entry_rows;
  std::vector<uint32_t> row_entries;  // UINT32_MAX for a null
  uint32_t entry_min = 0;
  uint32_t entry_max = 0;
  uint64_t entry_total = 0;
  bool dictionary_fits = false;
};

// The fixed length L the packed lengths count from: the shortest value's
// length, or the most that L holds when every value is longer.
uint32_t BaseLength(uint32_t min_length) {
  return std::min(min_length, kMaxFixedLength);
}

uint32_t PackedWidth(uint32_t min_length, uint32_t max_length, bool null_slot) {
  return BitCount(max_length - BaseLength(min_length) + (null_slot ? 1 : 0));
}

void FindEntries(const BlockValue* values, uint32_t rows, Shape* s) {
  // An open-addressed table of entry numbers (UINT32_MAX: free), at least
  // twice as large as the entries it can hold, so that finding a value
  // allocates nothing beyond the table itself.
  uint32_t slots = std::bit_ceil(2 * std::min(rows, kMaxDictionarySize + 1) + 1);
  std::vector<uint32_t> table(slots, UINT32_MAX);
  std::hash<std::string_view> hash;
  s->row_entries.assign(rows, UINT32_MAX);
  for (uint32_t i = 0; i < rows; ++i) {
    if (values[i].length < 0) continue;
    std::string_view v = View(values[i]);
    size_t at = hash(v) & (slots - 1);
    while (table[at] != UINT32_MAX && View(values[s->entry_rows[table[at]]]) != v)
      at = (at + 1) & (slots - 1);
    if (table[at] == UINT32_MAX) {
      if (s->entry_rows.size() == kMaxDictionarySize) return;
      table[at] = static_cast<uint32_t>(s->entry_rows.size());
      s->entry_rows.push_back(i);
      uint32_t len = static_cast<uint32_t>(values[i].length);
      s->entry_min = s->entry_rows.size() == 1 ? len : std::min(s->entry_min, len);
      s->entry_max = std::max(s->entry_max, len);
      s->entry_total += len;
    }
    s->row_entries[i] = table[at];
  }
  if (s->entry_rows.empty()) return;
  uint32_t b = BitCount(static_cast<uint32_t>(s->entry_rows.size()) - 1 + (s->nulls > 0 ? 1 : 0));
  s->dictionary_fits = static_cast<uint64_t>(rows) * b <= kMaxIndexBits &&
                       PackedWidth(s->entry_min, s->entry_max, false) <= kMaxLengthWidth;
}

uint64_t FormSize(BlockForm form, uint32_t rows, const Shape& s) {
  const uint32_t non_null = rows - s.nulls;
  switch (form) {
    case BlockForm::kAllNull:
      return non_null == 0 ? 2 : kNotPossible;
    case BlockForm::kFixedLength:
      if (s.nulls > 0 || s.min_length != s.max_length || s.min_length > kMaxFixedLength)
        return kNotPossible;
      return 4 + s.total;
    case BlockForm::kPackedLengths: {
      uint32_t w = std::max(1u, PackedWidth(s.min_length, s.max_length, s.nulls > 0));
      if (w > kMaxLengthWidth) return kNotPossible;
      return 4 + PackedBytes(rows, w) + s.total;
    }
    case BlockForm::kDictionary: {
      if (!s.dictionary_fits) return kNotPossible;
      uint32_t d = static_cast<uint32_t>(s.entry_rows.size());
      uint32_t w = PackedWidth(s.entry_min, s.entry_max, false);
      uint32_t b = BitCount(d - 1 + (s.nulls > 0 ? 1 : 0));
      return 4 + PackedBytes(d, w) + PackedBytes(rows, b) + s.entry_total;
    }
    case BlockForm::kSmallest:
      break;
  }
  return kNotPossible;
}

void PutBig16(std::vector<uint8_t>* out, uint32_t v) {
  out->resize(out->size() + 2);
  StoreBe16(out->data() + out->size() - 2, static_cast<uint16_t>(v));
}

void Append(std::vector<uint8_t>* data, const BlockValue& v) {
  if (v.length > 0) data->insert(data->end(), v.data, v.data + v.length);
}

// Writes the block's fields up to the value data, and the value data itself
// into *data.
void WriteForm(BlockForm form, const BlockValue* values, uint32_t rows, const Shape& s,
               std::vector<uint8_t>* head, uint32_t* header, std::vector<uint8_t>* data) {
  const uint32_t n = s.nulls > 0 ? 1 : 0;
  PackedBitWriter bits(head);
  switch (form) {
    case BlockForm::kAllNull:
      *header = 1;
      return;
    case BlockForm::kFixedLength:
      *header = 0;
      PutBig16(head, s.min_length);
      for (uint32_t i = 0; i < rows; ++i) Append(data, values[i]);
      return;
    case BlockForm::kPackedLengths: {
      uint32_t w = std::max(1u, PackedWidth(s.min_length, s.max_length, n != 0));
      *header = n | (w << 1);
      PutBig16(head, BaseLength(s.min_length));
      for (uint32_t i = 0; i < rows; ++i) {
        if (values[i].length < 0) {
          bits.Put(0, w);
          continue;
        }
        bits.Put(static_cast<uint32_t>(values[i].length) - BaseLength(s.min_length) + n, w);
        Append(data, values[i]);
      }
      bits.Finish();
      return;
    }
    case BlockForm::kDictionary: {
      uint32_t d = static_cast<uint32_t>(s.entry_rows.size());
      uint32_t w = PackedWidth(s.entry_min, s.entry_max, false);
      uint32_t b = BitCount(d - 1 + n);
      *header = n | (w << 1) | (d << 5);
      PutBig16(head, BaseLength(s.entry_min));
      for (uint32_t row : s.entry_rows) {
        bits.Put(static_cast<uint32_t>(values[row].length) - BaseLength(s.entry_min), w);
        Append(data, values[row]);
      }
      bits.Finish();
      for (uint32_t i = 0; i < rows; ++i)
        bits.Put(s.row_entries[i] == UINT32_MAX ? 0 : s.row_entries[i] + n, b);
      bits.Finish();
      return;
    }
    case BlockForm::kSmallest:
      return;
  }
}

}  // namespace

bool BlockLengthsFit(uint32_t min_length, uint32_t max_length) {
  return min_length <= max_length && PackedWidth(min_length, max_length, true) <= kMaxLengthWidth;
}

int EncodeColumnBlock(ColumnBlockEncoder* encoder, const BlockValue* values, uint32_t rows,
                      BlockForm form, BlockCompression compression, int keep_statistics,
                      std::vector<uint8_t>* out) {
  if (encoder == nullptr || out == nullptr || (rows > 0 && values == nullptr)) return 0;

  Shape s;
  bool first = true;
  for (uint32_t i = 0; i < rows; ++i) {
    const BlockValue& v = values[i];
    if (v.length < -1 || (v.length > 0 && v.data == nullptr)) return 0;
    if (v.length == -1) {
      ++s.nulls;
      continue;
    }
    uint32_t len = static_cast<uint32_t>(v.length);
    s.min_length = first ? len : std::min(s.min_length, len);
    s.max_length = std::max(s.max_length, len);
    s.total += len;
    first = false;
  }
  if (s.total > kMaxValueData) return 0;

  std::vector<uint8_t> head;
  std::vector<uint8_t> data;
  uint32_t header = 0;
  if (rows > 0) {
    if (form == BlockForm::kSmallest || form == BlockForm::kDictionary)
      FindEntries(values, rows, &s);
    if (form == BlockForm::kSmallest) {
      uint64_t best = kNotPossible;
      for (BlockForm f : {BlockForm::kAllNull, BlockForm::kFixedLength, BlockForm::kPackedLengths,
                          BlockForm::kDictionary}) {
        uint64_t size = FormSize(f, rows, s);
        if (size < best) {
          best = size;
          form = f;
        }
      }
    }
    if (form == BlockForm::kSmallest || FormSize(form, rows, s) == kNotPossible) return 0;
    data.reserve(form == BlockForm::kDictionary ? s.entry_total : s.total);
    WriteForm(form, values, rows, s, &head, &header, &data);
  }

  if (compression == BlockCompression::kNever) {
    FreeColumnBlockEncoder(encoder);
    keep_statistics = 1;
  }
  uint16_t* stats = encoder->statistics;
  if (!keep_statistics && stats == nullptr) {
    stats = static_cast<uint16_t*>(MemAlloc(kHuffmanTableSize * sizeof(uint16_t)));
    if (stats == nullptr) return 0;
  }

  // The client builds its table from the statistics in place when the block
  // is compressed; the copy here follows it.
  uint16_t table[kHuffmanTableSize];
  std::vector<uint8_t> code;
  bool compressed = false;
  if (compression != BlockCompression::kNone && compression != BlockCompression::kNever &&
      encoder->statistics != nullptr && !data.empty()) {
    BuildHuffmanTable(table, encoder->statistics);
    if (HuffmanEncode(table, data.data(), static_cast<uint32_t>(data.size()), &code) &&
        code.size() <= kMaxCompressedLength &&
        (compression == BlockCompression::kAlways || code.size() < data.size()))
      compressed = true;
  }

  if (rows == 0) {
    PutBig16(out, 0);
  } else {
    PutBig16(out, header | (compressed ? 0x8000 : 0));
    out->insert(out->end(), head.begin(), head.end());
    if (compressed) {
      PutBig16(out, static_cast<uint32_t>(code.size()));
      out->insert(out->end(), code.begin(), code.end());
    } else {
      out->insert(out->end(), data.begin(), data.end());
    }
  }

  if (compressed) std::memcpy(encoder->statistics, table, sizeof table);
  if (!keep_statistics) {
    encoder->statistics = stats;
    CountBlockBytes(stats, data.data(), static_cast<uint32_t>(data.size()));
  }
  return 1;
}

void FreeColumnBlockEncoder(ColumnBlockEncoder* encoder) {
  if (encoder == nullptr) return;
  MemFree(encoder->statistics);
  encoder->statistics = nullptr;
}

#include "wire/huffman.h"

#include <bit>
#include <cstring>

namespace {

constexpr uint32_t kSymbols = 256;
// At most 256 leaves (every byte value, or the non-zero ones and the escape)
// and one internal node fewer.
constexpr uint32_t kMaxNodes = 2 * kSymbols;
// The initial escape entry: length 9, which no 8-bit look-up can reach.
constexpr uint16_t kNoEscape = 0x0900;
// The two-symbol look-up of HuffmanDecode: its index width, the output size
// from which it pays, and the flags of its entries (the symbols in bits 0 to
// 15, the bits they take in bits 16 to 20).
constexpr uint32_t kPairBits = 12;
constexpr uint32_t kPairTableMinOutput = 4096;
constexpr uint32_t kPairTwo = 1u << 24;
constexpr uint32_t kPairEscape = 1u << 31;

// Nodes 0 to 255 are the byte values; internal nodes follow from 256 in the
// order they are created.
struct Tree {
  uint16_t weight[kMaxNodes];
  uint16_t first[kMaxNodes];
  uint16_t second[kMaxNodes];
};

// A binary min-heap that leaves the slot a pop empties as a hole for the next
// push. Ties are settled by these exact moves, and the tree (so the code)
// follows from them: both ends of the connection must make the same ones.
class NodeHeap {
 public:
  explicit NodeHeap(const uint16_t* weight) : weight_(weight) {}

  uint32_t Nodes() const { return hole_ == size_ ? size_ : size_ - 1; }

  // Fills the hole (or the end) and moves the node up past heavier parents
  // only; it stays below a parent of equal weight.
  void Push(uint16_t node) {
    uint32_t i = hole_;
    uint16_t w = weight_[node];
    while (i > 0) {
      uint32_t parent = (i - 1) / 2;
      if (weight_[slot_[parent]] <= w) break;
      slot_[i] = slot_[parent];
      i = parent;
    }
    slot_[i] = node;
    if (hole_ == size_) ++size_;
    hole_ = size_;
  }

  uint16_t Pop() {
    if (hole_ != size_) {
      --size_;
      Push(slot_[size_]);
    }
    uint16_t root = slot_[0];
    if (size_ < 2) {
      size_ = 0;
      hole_ = 0;
      return root;
    }
    // The hole sinks to a leaf; on a tie the second child rises.
    uint32_t h = 0;
    for (;;) {
      uint32_t c = 2 * h + 1;
      if (c >= size_) break;
      if (c + 1 < size_ && weight_[slot_[c]] >= weight_[slot_[c + 1]]) ++c;
      slot_[h] = slot_[c];
      h = c;
    }
    hole_ = h;
    if (hole_ == size_ - 1) {
      --size_;
      hole_ = size_;
    }
    return root;
  }

 private:
  const uint16_t* weight_;
  uint16_t slot_[kMaxNodes];
  uint32_t size_ = 0;  // slots in use, the hole included
  uint32_t hole_ = 0;  // equal to size_ when there is no hole
};

struct Walker {
  const Tree& tree;
  int32_t escape_symbol;  // -1 when every byte value has a count
  uint16_t* table;

  void OfferEscape(uint32_t depth, uint32_t code) {
    uint32_t entry = depth * 256 + code;
    if (entry < table[kHuffmanEscapeEntry])
      table[kHuffmanEscapeEntry] = static_cast<uint16_t>(entry);
  }

  // True when everything below the node is reached through the escape.
  bool Walk(uint16_t node, uint32_t depth, uint32_t code) {
    if (node < kSymbols) {
      if (static_cast<int32_t>(node) == escape_symbol) {
        OfferEscape(depth, code);
        return true;
      }
      uint16_t entry = static_cast<uint16_t>(depth * 256 + node);
      for (uint32_t t = code; t < kSymbols; t += 1u << depth) table[t] = entry;
      return false;
    }
    if (depth >= 8) {
      OfferEscape(depth, code);
      return true;
    }
    bool first = Walk(tree.first[node], depth + 1, code);
    bool second = Walk(tree.second[node], depth + 1, code | (1u << depth));
    if (first && second) {
      OfferEscape(depth, code);
      return true;
    }
    return false;
  }
};

inline uint32_t Peek8(const uint8_t* input, uint32_t length, uint64_t bit) {
  uint64_t i = bit >> 3;
  uint32_t lo = i < length ? input[i] : 0;
  uint32_t hi = i + 1 < length ? input[i + 1] : 0;
  return ((lo | (hi << 8)) >> (bit & 7)) & 0xFF;
}

inline uint64_t LoadLittle64(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

}  // namespace

void CountBlockBytes(uint16_t* counts, const uint8_t* data, uint32_t length) {
  // Four tables, so that runs of one byte do not wait on their own counter.
  uint32_t wide[4][kSymbols] = {};
  uint32_t i = 0;
  for (; i + 4 <= length; i += 4) {
    ++wide[0][data[i]];
    ++wide[1][data[i + 1]];
    ++wide[2][data[i + 2]];
    ++wide[3][data[i + 3]];
  }
  for (; i < length; ++i) ++wide[0][data[i]];
  for (uint32_t s = 0; s < kSymbols; ++s)
    counts[s] = static_cast<uint16_t>(wide[0][s] + wide[1][s] + wide[2][s] + wide[3][s]);
}

void BuildHuffmanTable(uint16_t* table, const uint16_t* counts) {
  Tree tree;
  std::memcpy(tree.weight, counts, kSymbols * sizeof(uint16_t));

  NodeHeap heap(tree.weight);
  int32_t escape_symbol = -1;
  for (uint32_t s = 0; s < kSymbols; ++s) {
    if (tree.weight[s] != 0) {
      heap.Push(static_cast<uint16_t>(s));
    } else if (escape_symbol < 0) {
      escape_symbol = static_cast<int32_t>(s);
      heap.Push(static_cast<uint16_t>(s));
    }
  }
  uint16_t next = kSymbols;
  while (heap.Nodes() > 1) {
    uint16_t k = next++;
    tree.first[k] = heap.Pop();
    tree.second[k] = heap.Pop();
    tree.weight[k] =
        static_cast<uint16_t>(tree.weight[tree.first[k]] + tree.weight[tree.second[k]]);
    heap.Push(k);
  }
  uint16_t root = heap.Pop();

  std::memset(table, 0, kSymbols * sizeof(uint16_t));
  table[kHuffmanEscapeEntry] = kNoEscape;
  Walker{tree, escape_symbol, table}.Walk(root, 0, 0);
}

int32_t HuffmanDecode(const uint16_t* table, const uint8_t* input, uint32_t input_length,
                      uint8_t* output, uint32_t output_size) {
  const uint64_t total = static_cast<uint64_t>(input_length) * 8;
  const uint32_t escape_length = table[kHuffmanEscapeEntry] >> 8;
  uint64_t bit = 0;
  uint32_t written = 0;

  // While 8 whole input bytes lie ahead and the output has room, none of the
  // end conditions below can arise. A table built from counts has no code
  // above 8 bits, so a refilled bit buffer (at least 56 bits) serves three
  // codes, each at most an escape and its literal; other tables take one
  // code per load.
  bool short_codes = escape_length <= 8;
  for (uint32_t t = 0; t < 256 && short_codes; ++t) short_codes = (table[t] >> 8) <= 8;
  if (short_codes && input_length >= 8) {
    // The same table with the length in the low bits, so that it shifts the
    // buffer directly; 0x80 marks the escape.
    uint16_t fast[256];
    for (uint32_t t = 0; t < 256; ++t) {
      uint32_t e = table[t];
      fast[t] = static_cast<uint16_t>(e != 0 ? ((e & 0xFF) << 8) | (e >> 8) : 0x80 | escape_length);
    }
    const uint8_t* p = input;
    const uint8_t* const last_load = input + input_length - 8;
    uint64_t buffer = 0;
    uint32_t held = 0;
    if (output_size >= kPairTableMinOutput) {
      // A look-up of 10 bits gives two symbols at once where both codes fit
      // in them; the table costs less to build than it saves on an output
      // of this size.
      uint32_t pair[1u << kPairBits];
      for (uint32_t t = 0; t < (1u << kPairBits); ++t) {
        uint32_t e1 = fast[t & 0xFF];
        if (e1 & 0x80) {
          pair[t] = kPairEscape;
          continue;
        }
        uint32_t l1 = e1 & 63;
        uint32_t e2 = fast[(t >> l1) & 0xFF];
        uint32_t l2 = e2 & 63;
        if (!(e2 & 0x80) && l1 + l2 <= kPairBits)
          pair[t] = (e1 >> 8) | (e2 & 0xFF00) | ((l1 + l2) << 16) | kPairTwo;
        else
          pair[t] = (e1 >> 8) | (l1 << 16);
      }
      while (p <= last_load && output_size - written >= 6) {
        buffer |= LoadLittle64(p) << held;
        p += (63 - held) >> 3;
        held |= 56;
        // Three look-ups take at most 48 bits: an escape and its literal each.
        for (int k = 0; k < 3; ++k) {
          uint32_t e = pair[buffer & ((1u << kPairBits) - 1)];
          if (e & kPairEscape) {
            output[written++] = static_cast<uint8_t>(buffer >> escape_length);
            buffer >>= escape_length + 8;
            held -= escape_length + 8;
          } else {
            uint32_t n = (e >> 16) & 31;
            output[written] = static_cast<uint8_t>(e);
            output[written + 1] = static_cast<uint8_t>(e >> 8);
            written += 1 + ((e & kPairTwo) != 0 ? 1 : 0);
            buffer >>= n;
            held -= n;
          }
        }
      }
    }
    while (p <= last_load && output_size - written >= 3) {
      // Bits above `held` are the stream's own, so or-ing them again is harmless.
      buffer |= LoadLittle64(p) << held;
      p += (63 - held) >> 3;
      held |= 56;
      for (int k = 0; k < 3; ++k) {
        uint32_t e = fast[buffer & 0xFF];
        if (e & 0x80) {
          uint32_t n = e & 0x0F;
          output[written++] = static_cast<uint8_t>(buffer >> n);
          buffer >>= n + 8;
          held -= n + 8;
        } else {
          // The low 6 bits are the length: the shift needs no mask.
          output[written++] = static_cast<uint8_t>(e >> 8);
          buffer >>= e & 63;
          held -= e & 63;
        }
      }
    }
    bit = static_cast<uint64_t>(p - input) * 8 - held;
  } else if (escape_length <= 48) {
    while ((bit >> 3) + 8 <= input_length && written < output_size) {
      uint64_t w = LoadLittle64(input + (bit >> 3)) >> (bit & 7);
      uint32_t e = table[w & 0xFF];
      if (e != 0) {
        output[written++] = static_cast<uint8_t>(e);
        bit += e >> 8;
      } else {
        output[written++] = static_cast<uint8_t>(w >> escape_length);
        bit += escape_length + 8;
      }
    }
  }

  while (bit < total) {
    // The encoder pads its last byte with zero bits; with the output full,
    // those cannot be taken for one more code.
    if (written == output_size && total - bit < 8) break;
    uint32_t e = table[Peek8(input, input_length, bit)];
    uint8_t value;
    if (e != 0) {
      value = static_cast<uint8_t>(e);
      bit += e >> 8;
    } else {
      bit += escape_length;
      if (bit >= total || total - bit < 8) break;
      value = static_cast<uint8_t>(Peek8(input, input_length, bit));
      bit += 8;
    }
    if (written == output_size) return -1;
    output[written++] = value;
  }
  return static_cast<int32_t>(written);
}

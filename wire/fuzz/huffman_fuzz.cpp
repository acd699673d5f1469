// Huffman decoding of network bytes under tables built from any counts, and
// under arbitrary tables; a table built from counts must also carry any data
// there and back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "wire/huffman.h"
#include "wire/huffman_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t mode = data[0] % 3;
  const uint32_t output_size = data[1] | (static_cast<uint32_t>(data[2]) << 8);
  data += 3;
  size -= 3;

  uint16_t table[kHuffmanTableSize] = {};
  bool built = true;
  if (mode == 0) {
    // Counts of a previous block: the first byte says how long it was.
    if (size < 1) return 0;
    size_t n = data[0] < size - 1 ? data[0] : size - 1;
    CountBlockBytes(table, data + 1, static_cast<uint32_t>(n));
    BuildHuffmanTable(table, table);
    data += 1 + n;
    size -= 1 + n;
  } else {
    // 256 counts (mode 1) or a whole table (mode 2), as little-endian u16.
    const size_t entries = mode == 1 ? 256 : kHuffmanTableSize;
    if (size < entries * 2) return 0;
    for (size_t i = 0; i < entries; ++i) table[i] = data[2 * i] | (data[2 * i + 1] << 8);
    if (mode == 1) {
      uint16_t apart[kHuffmanTableSize];
      BuildHuffmanTable(apart, table);
      BuildHuffmanTable(table, table);
      if (std::memcmp(apart, table, sizeof table) != 0) std::abort();
    }
    built = mode == 1;
    data += entries * 2;
    size -= entries * 2;
  }

  std::vector<uint8_t> input(data, data + size);
  std::vector<uint8_t> output(output_size);
  int32_t r = HuffmanDecode(table, input.data(), static_cast<uint32_t>(input.size()), output.data(),
                            output_size);
  if (r < -1 || r > static_cast<int32_t>(output_size)) std::abort();

  if (built) {
    std::vector<uint8_t> code;
    if (!HuffmanEncode(table, input.data(), static_cast<uint32_t>(input.size()), &code))
      std::abort();
    std::vector<uint8_t> back(input.size());
    if (HuffmanDecode(table, code.data(), static_cast<uint32_t>(code.size()), back.data(),
                      static_cast<uint32_t>(back.size())) != static_cast<int32_t>(input.size()) ||
        back != input)
      std::abort();
  }
  return 0;
}

// Column blocks as they come off the network: any bytes, any row count, with
// and without statistics from an earlier block, several blocks in a row.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "wire/row_block.h"

namespace {

constexpr int32_t kBufferSizes[8] = {0, 1, 2, 4, 16, 64, 1024, 70000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t rows = data[0] | (static_cast<uint32_t>(data[1]) << 8);
  const uint8_t flags = data[2];
  const uint8_t prior = data[3];
  data += 4;
  size -= 4;

  RowBlockDecoder d{};
  size_t pos = 0;
  if (flags & 1) {
    // A one-row fixed-length block of the next `prior` bytes gives the column
    // its statistics.
    size_t n = prior < size ? prior : size;
    std::vector<uint8_t> first = {0, 0, 0, static_cast<uint8_t>(n)};
    first.insert(first.end(), data, data + n);
    uint32_t consumed;
    if (!DecodeRowBlock(&d, first.data(), static_cast<uint32_t>(first.size()), 1, &consumed, 0) ||
        consumed != first.size())
      std::abort();
    pos = n;
  }

  const int32_t buffer_size = kBufferSizes[flags >> 5];
  std::vector<uint8_t> buffer(static_cast<size_t>(buffer_size));
  for (int b = 0; b < 8 && pos < size; ++b) {
    // An exact copy of what remains, so that any read past it is caught.
    std::vector<uint8_t> rest(data + pos, data + size);
    const int keep = (flags >> (1 + b % 4)) & 1;
    uint32_t consumed = 12345;
    if (!DecodeRowBlock(&d, rest.data(), static_cast<uint32_t>(rest.size()), rows, &consumed,
                        keep)) {
      if (consumed != 0 || d.statistics != nullptr) std::abort();
      break;
    }
    if (consumed < 2 || consumed > rest.size()) std::abort();
    for (uint32_t r = 0; r < rows; ++r) {
      int32_t n = NextBlockValue(&d, buffer.empty() ? nullptr : buffer.data(), buffer_size);
      if (n < -1 || (n > 0 && static_cast<uint32_t>(n) > d.value_length)) std::abort();
    }
    if (NextBlockValue(&d, buffer.data(), buffer_size) != -1) std::abort();
    pos += consumed;
  }
  FreeRowBlock(&d);
  return 0;
}

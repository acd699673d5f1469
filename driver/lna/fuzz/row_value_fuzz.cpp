// The values of a single-row reply decoded into fetch slots. The first byte
// gives the column count, the next one byte per column its C type and
// buffer size; the rest is the row. Whatever the bytes, no value may be read
// past the row or written past its buffer, and every value the decoder
// accepts must have used bytes that were there.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "driver/lna/lna_value_decode.h"
#include "wire/typed_value.h"

namespace {

constexpr int16_t kCTypes[] = {
    kCTypeChar,   kCTypeBinary, kCTypeLong,      kCTypeSLong, kCTypeULong,
    kCTypeShort,  kCTypeSShort, kCTypeUShort,    kCTypeFloat, kCTypeDouble,
    kCTypeDate,   kCTypeTime,   kCTypeTimestamp, 0,           kCTypeBit,
    kCTypeTinyInt};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t columns = data[0] % 9;
  if (size < 1 + columns) return 0;
  const uint8_t* kinds = data + 1;
  const uint8_t* row = data + 1 + columns;
  uint64_t left = size - 1 - columns;
  for (size_t i = 0; i < columns; ++i) {
    // Exactly the buffer's size on the heap, so a write past it is caught.
    int32_t buffer_length = kinds[i] >> 4;
    std::vector<uint8_t> buffer(static_cast<size_t>(buffer_length));
    LnaFetchSlot slot{kCTypes[kinds[i] & 15], buffer.empty() ? nullptr : buffer.data(),
                      buffer_length, 0};
    int64_t used = LnaNextRowValue(&slot, row, left);
    if (used < 0) break;
    if (used < 4 || static_cast<uint64_t>(used) > left) std::abort();
    if (slot.result_length < 0 && used != 4) std::abort();
    if (slot.result_length >= 0 && static_cast<uint64_t>(used) != 4u + slot.result_length)
      std::abort();
    row += used;
    left -= static_cast<uint64_t>(used);
  }
  return 0;
}

#include "driver/lna/lna_value_decode.h"

#include <algorithm>
#include <cstring>

#include "wire/byte_order.h"
#include "wire/typed_value.h"

namespace {

// A single-row value the server marks as neither null nor data.
constexpr int32_t kValueNoData = -95;
// Room the fixed-size values of a column block are read into.
constexpr int32_t kWorkArea = 16;

// The fixed-size value goes in whole or not at all: a buffer too small for
// it would be overrun.
template <typename T>
void Store(LnaFetchSlot* slot, const T& value) {
  if (slot->buffer != nullptr && slot->buffer_length >= static_cast<int32_t>(sizeof(T)))
    std::memcpy(slot->buffer, &value, sizeof(T));
}

// At most the buffer's bytes of a value; `terminate`: a NUL after a value
// shorter than the buffer.
void StoreBytes(LnaFetchSlot* slot, const uint8_t* bytes, uint32_t length, bool terminate) {
  if (slot->buffer == nullptr || slot->buffer_length <= 0) return;
  auto room = static_cast<uint32_t>(slot->buffer_length);
  auto* out = static_cast<uint8_t*>(slot->buffer);
  uint32_t n = std::min(length, room);
  if (n > 0) std::memcpy(out, bytes, n);
  if (terminate && length < room) out[length] = 0;
}

struct Date {
  uint16_t parts[3];
};

}  // namespace

uint32_t LnaFixedValueSize(int16_t c_type) {
  // One-byte values travel and land as plain bytes here, so they take the
  // character and binary path rather than a fixed-size one.
  int32_t size = CTypeFixedSize(c_type);
  return size > 1 ? static_cast<uint32_t>(size) : 0;
}

int64_t LnaNextRowValue(LnaFetchSlot* slot, const uint8_t* row, uint64_t available,
                        LnaSpill* spill) {
  LnaSpillClear(spill);
  if (row == nullptr || available < 4) return -1;
  auto length = static_cast<int32_t>(LoadBe32(row));
  if (length < 0) {
    slot->result_length = length == kValueNoData ? kValueNoData : kValueNull;
    return 4;
  }
  if (static_cast<uint64_t>(length) > available - 4) return -1;
  const uint8_t* b = row + 4;
  uint32_t fixed = LnaFixedValueSize(slot->c_type);
  if (fixed != 0 && static_cast<uint32_t>(length) != fixed) return -1;
  slot->result_length = length;
  switch (slot->c_type) {
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong:
    case kCTypeFloat:
      Store(slot, LoadBe32(b));
      break;
    case kCTypeUShort:
    case kCTypeSShort:
    case kCTypeShort:
      Store(slot, static_cast<uint16_t>(LoadBe16(b)));
      break;
    case kCTypeDouble:
      Store(slot, LoadBe64(b));
      break;
    case kCTypeDate:
    case kCTypeTime:
      Store(slot, Date{{static_cast<uint16_t>(LoadBe16(b)), static_cast<uint16_t>(LoadBe16(b + 2)),
                        static_cast<uint16_t>(LoadBe16(b + 4))}});
      break;
    case kCTypeTimestamp: {
      LnaTimestamp ts{};
      uint16_t* parts[] = {&ts.year, &ts.month, &ts.day, &ts.hour, &ts.minute, &ts.second};
      for (size_t i = 0; i < 6; ++i) *parts[i] = static_cast<uint16_t>(LoadBe16(b + 2 * i));
      ts.fraction = LoadBe32(b + 12);
      Store(slot, ts);
      break;
    }
    default:
      StoreBytes(slot, b, static_cast<uint32_t>(length), slot->c_type == kCTypeChar);
      if (spill != nullptr && LnaValueSpills(*slot, static_cast<uint32_t>(length)) &&
          !LnaSpillAppend(spill, b, static_cast<uint32_t>(length)))
        return kLnaValueNoMemory;
      break;
  }
  return 4 + static_cast<int64_t>(length);
}

int LnaExtractValue(LnaFetchSlot* slot, RowBlockDecoder* decoder, LnaSpill* spill) {
  LnaSpillClear(spill);
  uint32_t fixed = LnaFixedValueSize(slot->c_type);
  if (fixed == 0) {
    // Straight into the slot's buffer; a value longer than it fills it and
    // is kept whole beside it.
    const uint8_t* value = nullptr;
    int32_t length = NextBlockValueView(decoder, &value);
    slot->result_length = length;
    if (length < 0) return 1;
    StoreBytes(slot, value, static_cast<uint32_t>(length), true);
    if (spill != nullptr && LnaValueSpills(*slot, static_cast<uint32_t>(length)) &&
        !LnaSpillAppend(spill, value, static_cast<uint32_t>(length)))
      return -1;
    return 1;
  }
  uint8_t b[kWorkArea] = {};
  int32_t n = NextBlockValue(decoder, b, kWorkArea);
  if (n < 0) {
    slot->result_length = kValueNull;
    return 1;
  }
  uint32_t wire_max = slot->c_type == kCTypeDouble ? 8 : fixed;
  bool integer = fixed == 4 && slot->c_type != kCTypeFloat;
  if (static_cast<uint32_t>(n) > wire_max || (integer && n == 3)) {
    slot->result_length = kValueNull;
    return 0;
  }
  slot->result_length = static_cast<int32_t>(fixed);
  switch (slot->c_type) {
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong: {
      // Small integers travel short: one byte for 1 to 256, two for -5536
      // to 59999.
      uint32_t v = 0;
      if (n == 1) v = b[0] + 1u;
      if (n == 2) v = LoadBe16(b) - 5536u;
      if (n == 4) v = LoadBe32(b);
      Store(slot, v);
      break;
    }
    case kCTypeUShort:
    case kCTypeSShort:
    case kCTypeShort:
      Store(slot, static_cast<uint16_t>(LoadBe16(b)));
      break;
    case kCTypeFloat:
      Store(slot, LoadBe32(b));
      break;
    case kCTypeDouble:
      // Trailing repeats of the last byte are not sent.
      if (n > 0)
        for (int32_t i = n; i < 8; ++i) b[i] = b[n - 1];
      Store(slot, LoadBe64(b));
      break;
    case kCTypeDate:
      Store(slot, Date{{static_cast<uint16_t>(LoadBe16(b)), b[2], b[3]}});
      break;
    case kCTypeTime:
      Store(slot, Date{{b[0], b[1], b[2]}});
      break;
    case kCTypeTimestamp: {
      LnaTimestamp ts{static_cast<uint16_t>(LoadBe16(b)), b[2], b[3], b[4], b[5], b[6], 0};
      ts.fraction = LoadBe32(b + 7);
      Store(slot, ts);
      break;
    }
  }
  return 1;
}

#include "driver/lna/lna_spill.h"

#include <algorithm>
#include <cstring>

#include "common/memory.h"
#include "driver/lna/lna_value_decode.h"
#include "wire/typed_value.h"

bool LnaValueSpills(const LnaFetchSlot& slot, uint32_t length) {
  if (LnaFixedValueSize(slot.c_type) != 0) return false;
  int64_t room = slot.buffer != nullptr ? std::max(slot.buffer_length, 0) : 0;
  return slot.c_type == kCTypeChar ? length >= room : length > room;
}

bool LnaSpillAppend(LnaSpill* spill, const uint8_t* bytes, uint32_t length) {
  uint32_t have = spill->held ? spill->length : 0;
  uint64_t need = static_cast<uint64_t>(have) + length;
  if (need > UINT32_MAX) {
    spill->held = 0;
    return false;
  }
  if (need > spill->capacity) {
    // Doubling keeps a value read in many pieces from being copied as often.
    uint64_t grown = std::max<uint64_t>(need, static_cast<uint64_t>(spill->capacity) * 2);
    grown = std::min<uint64_t>(grown, UINT32_MAX);
    void* block = spill->bytes;
    if (MemRealloc(&block, static_cast<size_t>(grown)) != 0) {
      spill->held = 0;
      return false;
    }
    spill->bytes = static_cast<uint8_t*>(block);
    spill->capacity = static_cast<uint32_t>(grown);
  }
  if (length > 0) std::memcpy(spill->bytes + have, bytes, length);
  spill->length = static_cast<uint32_t>(need);
  spill->held = 1;
  return true;
}

void LnaSpillFree(LnaSpill* spill) {
  MemFree(spill->bytes);
  *spill = LnaSpill{};
}

// Values longer than their fetch buffer. A column's fetch buffer is sized
// from the length the server describes the column with, but a backend may
// hold longer texts than it describes (a declared size it does not enforce,
// a nominal maximum for an unconstrained type): such a value is kept whole
// beside the buffer, which holds only its first bytes.
#pragma once

#include <cstdint>

#include "driver/lna/lna_call.h"

struct LnaSpill {
  uint8_t* bytes;  // owned, `capacity` bytes
  uint32_t capacity;
  uint32_t length;  // of the current row's value, when `held`
  uint32_t held;    // 1: the current row's value of the column is here
};

// Whether a value of `length` bytes needs the spill: a text or binary value
// the slot's buffer cannot hold whole (a text with its NUL).
bool LnaValueSpills(const LnaFetchSlot& slot, uint32_t length);

// The column's next value: none held yet.
inline void LnaSpillClear(LnaSpill* spill) {
  if (spill != nullptr) spill->held = 0;
}

// Appends `length` bytes to the held value (a first piece after
// LnaSpillClear) and marks it held; false when memory runs out, and the
// spill then holds nothing.
bool LnaSpillAppend(LnaSpill* spill, const uint8_t* bytes, uint32_t length);

// Frees the bytes; the spill holds nothing.
void LnaSpillFree(LnaSpill* spill);

#include "common/tls_slot.h"

namespace {

// A thread_local word cannot run out the way a system slot index can, so
// init and term only keep the calling thread's value as the callers expect.
thread_local uint32_t t_slot_value = 0;

}  // namespace

int TlsSlotInit() {
  t_slot_value = 0;
  return 0;
}

int TlsSlotTerm() {
  return 0;
}

void TlsSlotSet(uint32_t value) {
  t_slot_value = value;
}

uint32_t TlsSlotGet() {
  return t_slot_value;
}

// One word per thread: the remote-call layer keeps each thread's last error
// code in it. Threads that never set it read 0.
#pragma once

#include <cstdint>

// 0, or -1 when no slot is available. Sets the calling thread's value to 0.
int TlsSlotInit();
// 0, or -1 when freeing fails.
int TlsSlotTerm();
void TlsSlotSet(uint32_t value);
uint32_t TlsSlotGet();

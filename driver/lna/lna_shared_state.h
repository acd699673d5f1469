// The fields of a call-layer connection and its statements that several
// application threads may touch at once: the broken flag, the saved
// diagnostics and the asynchronous state. One short process-wide lock
// guards them; it is never held across a remote call and never taken
// together with the list locks.
#pragma once

#include <cstdint>
#include <mutex>

#include "driver/lna/lna_records.h"

std::mutex& LnaFieldMutex();

// Holds the field lock for a scope.
class LnaFieldGuard {
 public:
  LnaFieldGuard() : guard_(LnaFieldMutex()) {}

 private:
  std::lock_guard<std::mutex> guard_;
};

uint32_t LnaIsBroken(const LnaConnection* conn);
void LnaSetBroken(LnaConnection* conn, uint32_t broken);
// The asynchronous state, read once.
uint32_t LnaAsyncState(const LnaConnection* conn);

// The environment handle: the connections made on it and its diagnostics.
#pragma once

#include <cstdint>

#include "common/shared_mutex.h"

struct RecArray;

struct DrvEnv {
  RecArray* connections;   // DrvConn pointers, unique
  RecArray* diagnostics;   // DiagRecord
  uint32_t diag_overflow;  // 1 when a diagnostic could not be stored
  // Held while a connection is added or removed and while the lists are
  // destroyed.
  SharedMutex lock;
};

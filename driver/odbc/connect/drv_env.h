// The environment handle: the connections made on it and its diagnostics.
// The process counts its live environments; the first one sets up the
// driver-wide conversion tables and the client profile path, the last one
// freed releases the tables.
#pragma once

#include <sql.h>

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

// Counts a new environment (the first sets the process up) and allocates
// its record. 0, or -1 with *env null and nothing counted.
int32_t DrvAllocEnv(DrvEnv** env);
// Frees the record and uncounts it; the last one releases the tables.
void DrvFreeEnv(DrvEnv* env);

SQLRETURN SQLAllocEnvImpl(SQLHENV* phenv);
SQLRETURN SQLFreeEnvImpl(SQLHENV henv);

// For tests only.

// Environments allocated and not yet freed.
uint32_t TEST_DrvLiveEnvCount();

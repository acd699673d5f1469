// SQLAllocEnv and SQLFreeEnv. The process counts its live environments; the
// first one sets up the driver-wide conversion tables and the client profile
// path, the last one freed releases the tables.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvEnv;

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

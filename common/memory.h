// Zero-filled heap blocks that remember the size they were asked for, taken
// from the environment in force (platform/env.h).
#pragma once

#include <cstddef>
#include <cstdint>

// Address of a new zero-filled block of `size` bytes, or null.
void* MemAlloc(size_t size);

// Frees a block from MemAlloc; a null address is ignored.
void MemFree(void* block);

// Resizes *block to `new_size` bytes; bytes added are zero. A null *block
// makes a fresh allocation. 0 on success (*block updated, it may move);
// -10 on failure with *block unchanged.
int32_t MemRealloc(void** block, size_t new_size);

// The size the block was last asked for; 0 for a null address.
size_t MemSize(const void* block);

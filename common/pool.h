// A process-wide table of numbered memory pools. Everything an owner (a
// connection, a statement, a record array) allocates comes from its pool, so
// one PoolDestroy frees it all.
#pragma once

#include <cstddef>
#include <cstdint>

struct SharedMutex;

// Adds a reference to the table, creating it on the first.
void PoolTableInit();
// Drops a reference; the last one frees every block of every pool.
void PoolTableTerm();

// A new pool id (1 upward), or -1.
int32_t PoolCreate();
// The same as PoolCreate, under the name the remote-call layer uses.
int32_t PoolAllocId();
// Frees every block of the pool and gives its id back.
void PoolDestroy(int32_t pool_id);

// A zero-filled block of at least `size` bytes, or null.
void* PoolAlloc(int32_t pool_id, size_t size);
// The block resized (it may move; added bytes are zero), or null with the old
// block still valid. A block that is not a live block of this pool is refused.
void* PoolRealloc(int32_t pool_id, void* block, size_t new_size);
// 1 when the block was freed; 0 when it is not a live block of this pool.
int PoolFree(int32_t pool_id, void* block);
// Usable size of the block (at least the size asked for); 0 on failure.
size_t PoolBlockSize(int32_t pool_id, const void* block);

// The table's lock, for the record arrays' context sorts.
SharedMutex* PoolTableLock();

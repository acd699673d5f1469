#include "common/pool.h"

#include <cstring>

#include "common/memory.h"
#include "common/shared_mutex.h"

namespace {

constexpr int32_t kInitialHeads = 100;
constexpr int32_t kHeadsGrowth = 25;
constexpr int32_t kMaxHeads = 0x7FFFFFE6;
constexpr uint32_t kLiveMarker = 0x504F4F4Cu;

// In front of every pool allocation. Its size keeps the caller's address
// 16-byte aligned. The pool id and marker let a free or realloc of a foreign,
// stale or null address be refused instead of corrupting a chain.
struct alignas(16) PoolBlock {
  PoolBlock* newer;  // null for the newest block
  PoolBlock* older;  // null for the oldest block
  int32_t pool_id;
  uint32_t marker;
};

// A head is 0 for a free id, kEmptyPool for a pool without blocks, else its
// newest block.
const uintptr_t kEmptyPool = ~uintptr_t{0};

struct PoolTable {
  uintptr_t* heads = nullptr;
  int32_t size = 0;
  SharedMutex table_lock;
  SharedMutex teardown_lock;
};

PoolTable g_table;

PoolBlock* BlockOf(const void* address) {
  return reinterpret_cast<PoolBlock*>(const_cast<char*>(static_cast<const char*>(address)) -
                                      sizeof(PoolBlock));
}

// Caller holds the table lock.
bool IdInUse(int32_t pool_id) {
  return g_table.heads != nullptr && pool_id >= 1 && pool_id < g_table.size &&
         g_table.heads[pool_id] != 0;
}

PoolBlock* Newest(int32_t pool_id) {
  uintptr_t head = g_table.heads[pool_id];
  return head == kEmptyPool ? nullptr : reinterpret_cast<PoolBlock*>(head);
}

void SetNewest(int32_t pool_id, PoolBlock* block) {
  g_table.heads[pool_id] = block == nullptr ? kEmptyPool : reinterpret_cast<uintptr_t>(block);
}

bool IsLiveBlock(int32_t pool_id, const void* address) {
  if (address == nullptr) return false;
  const PoolBlock* block = BlockOf(address);
  return block->marker == kLiveMarker && block->pool_id == pool_id;
}

void FreeChain(int32_t pool_id) {
  PoolBlock* block = Newest(pool_id);
  while (block != nullptr) {
    PoolBlock* older = block->older;
    block->marker = 0;
    MemFree(block);
    block = older;
  }
}

}  // namespace

SharedMutex* PoolTableLock() {
  return &g_table.table_lock;
}

void PoolTableInit() {
  SharedMutex::Acquire(&g_table.teardown_lock);
  if (!SharedMutex::Acquire(&g_table.table_lock)) return;
  SharedMutexHold hold(&g_table.table_lock);
  if (g_table.size >= kInitialHeads) return;
  auto* heads = static_cast<uintptr_t*>(MemAlloc(kInitialHeads * sizeof(uintptr_t)));
  if (heads == nullptr) return;
  g_table.heads = heads;
  g_table.size = kInitialHeads;
}

void PoolTableTerm() {
  SharedMutex::Lock(&g_table.teardown_lock);
  {
    // The blocks are freed while the table lock is still held, so no other
    // thread can be inside a pool call while its chain goes away.
    SharedMutexHold hold(&g_table.table_lock);
    if (SharedMutex::References(&g_table.table_lock) == 1 && g_table.heads != nullptr) {
      for (int32_t id = 1; id < g_table.size; ++id)
        if (g_table.heads[id] != 0) FreeChain(id);
      MemFree(g_table.heads);
      g_table.heads = nullptr;
      g_table.size = 0;
    }
  }
  SharedMutex::Release(&g_table.table_lock);
  SharedMutex::Unlock(&g_table.teardown_lock);
  SharedMutex::Release(&g_table.teardown_lock);
}

int32_t PoolCreate() {
  if (!SharedMutex::IsValid(&g_table.table_lock)) return -1;
  SharedMutexHold hold(&g_table.table_lock);
  if (g_table.heads == nullptr) return -1;
  int32_t id = 1;
  while (id < g_table.size && g_table.heads[id] != 0) ++id;
  if (id == g_table.size) {
    if (g_table.size >= kMaxHeads) return -1;
    void* heads = g_table.heads;
    size_t bytes = static_cast<size_t>(g_table.size + kHeadsGrowth) * sizeof(uintptr_t);
    if (MemRealloc(&heads, bytes) != 0) return -1;
    g_table.heads = static_cast<uintptr_t*>(heads);
    g_table.size += kHeadsGrowth;
  }
  g_table.heads[id] = kEmptyPool;
  return id;
}

int32_t PoolAllocId() {
  return PoolCreate();
}

void PoolDestroy(int32_t pool_id) {
  if (!SharedMutex::IsValid(&g_table.table_lock)) return;
  SharedMutexHold hold(&g_table.table_lock);
  if (!IdInUse(pool_id)) return;
  FreeChain(pool_id);
  g_table.heads[pool_id] = 0;
}

void* PoolAlloc(int32_t pool_id, size_t size) {
  if (!SharedMutex::IsValid(&g_table.table_lock)) return nullptr;
  SharedMutexHold hold(&g_table.table_lock);
  if (!IdInUse(pool_id) || size > SIZE_MAX - sizeof(PoolBlock)) return nullptr;
  auto* block = static_cast<PoolBlock*>(MemAlloc(sizeof(PoolBlock) + size));
  if (block == nullptr) return nullptr;
  PoolBlock* newest = Newest(pool_id);
  block->newer = nullptr;
  block->older = newest;
  block->pool_id = pool_id;
  block->marker = kLiveMarker;
  if (newest != nullptr) newest->newer = block;
  SetNewest(pool_id, block);
  return block + 1;
}

void* PoolRealloc(int32_t pool_id, void* address, size_t new_size) {
  if (!SharedMutex::IsValid(&g_table.table_lock)) return nullptr;
  SharedMutexHold hold(&g_table.table_lock);
  if (!IdInUse(pool_id) || !IsLiveBlock(pool_id, address) ||
      new_size > SIZE_MAX - sizeof(PoolBlock))
    return nullptr;
  void* moved = BlockOf(address);
  if (MemRealloc(&moved, sizeof(PoolBlock) + new_size) != 0) return nullptr;
  auto* block = static_cast<PoolBlock*>(moved);
  if (block->older != nullptr) block->older->newer = block;
  if (block->newer != nullptr)
    block->newer->older = block;
  else
    SetNewest(pool_id, block);
  return block + 1;
}

int PoolFree(int32_t pool_id, void* address) {
  if (!SharedMutex::IsValid(&g_table.table_lock)) return 0;
  SharedMutexHold hold(&g_table.table_lock);
  if (!IdInUse(pool_id) || !IsLiveBlock(pool_id, address)) return 0;
  PoolBlock* block = BlockOf(address);
  if (block->newer == nullptr)
    SetNewest(pool_id, block->older);
  else
    block->newer->older = block->older;
  if (block->older != nullptr) block->older->newer = block->newer;
  block->marker = 0;
  MemFree(block);
  return 1;
}

size_t PoolBlockSize(int32_t pool_id, const void* address) {
  if (!SharedMutex::IsValid(&g_table.table_lock)) return 0;
  SharedMutexHold hold(&g_table.table_lock);
  if (!IdInUse(pool_id) || !IsLiveBlock(pool_id, address)) return 0;
  return MemSize(BlockOf(address)) - sizeof(PoolBlock);
}

#include "common/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// Kept in front of every block; its size keeps the caller's address aligned
// as strictly as malloc's own.
struct alignas(16) BlockHeader {
  size_t size;
};
static_assert(sizeof(BlockHeader) == 16);

std::atomic<long> g_fail_countdown{0};

bool InjectedFailure() {
  long n = g_fail_countdown.load(std::memory_order_relaxed);
  while (n > 0) {
    if (g_fail_countdown.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) return n == 1;
  }
  return false;
}

BlockHeader* HeaderOf(const void* block) {
  return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(block)) -
                                        sizeof(BlockHeader));
}

}  // namespace

void MemFailAfter(long n) {
  g_fail_countdown.store(n < 0 ? 0 : n, std::memory_order_relaxed);
}

void* MemAlloc(size_t size) {
  if (size > SIZE_MAX - sizeof(BlockHeader) || InjectedFailure()) return nullptr;
  auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
  if (header == nullptr) return nullptr;
  header->size = size;
  return header + 1;
}

void MemFree(void* block) {
  if (block != nullptr) std::free(HeaderOf(block));
}

int32_t MemRealloc(void** block, size_t new_size) {
  if (block == nullptr) return -10;
  if (*block == nullptr) {
    void* fresh = MemAlloc(new_size);
    if (fresh == nullptr) return -10;
    *block = fresh;
    return 0;
  }
  if (new_size > SIZE_MAX - sizeof(BlockHeader) || InjectedFailure()) return -10;
  BlockHeader* old_header = HeaderOf(*block);
  size_t old_size = old_header->size;
  auto* header =
      static_cast<BlockHeader*>(std::realloc(old_header, sizeof(BlockHeader) + new_size));
  if (header == nullptr) return -10;
  if (new_size > old_size)
    std::memset(reinterpret_cast<char*>(header + 1) + old_size, 0, new_size - old_size);
  header->size = new_size;
  *block = header + 1;
  return 0;
}

size_t MemSize(const void* block) {
  return block == nullptr ? 0 : HeaderOf(block)->size;
}

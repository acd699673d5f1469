#include "common/memory.h"

#include <cstdlib>
#include <cstring>

#include "platform/env.h"

namespace {

// Kept in front of every block; its size keeps the caller's address aligned
// as strictly as malloc's own.
struct alignas(16) BlockHeader {
  size_t size;
};
static_assert(sizeof(BlockHeader) == 16);

BlockHeader* HeaderOf(const void* block) {
  return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(block)) -
                                        sizeof(BlockHeader));
}

}  // namespace

void* MemAlloc(size_t size) {
  if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  auto* header = static_cast<BlockHeader*>(PlatformEnvGet().Allocate(sizeof(BlockHeader) + size));
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
  if (new_size > SIZE_MAX - sizeof(BlockHeader)) return -10;
  BlockHeader* old_header = HeaderOf(*block);
  size_t old_size = old_header->size;
  auto* header = static_cast<BlockHeader*>(
      PlatformEnvGet().Reallocate(old_header, sizeof(BlockHeader) + new_size));
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

#include "common/memory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing/test_env.h"

namespace {

bool AllZero(const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i)
    if (b[i] != 0) return false;
  return true;
}

TEST(Memory, BlocksAreZeroedAlignedAndKnowTheirSize) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{1000}}) {
    void* p = MemAlloc(size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    EXPECT_GE(MemSize(p), size);
    EXPECT_TRUE(AllZero(p, size));
    MemFree(p);
  }
  EXPECT_EQ(MemSize(nullptr), 0u);
  MemFree(nullptr);
}

TEST(Memory, ReallocZeroesTheAddedBytesAndKeepsTheOld) {
  void* p = nullptr;
  ASSERT_EQ(MemRealloc(&p, 8), 0);  // a null pointer is a fresh allocation
  std::memset(p, 0xAB, 8);
  ASSERT_EQ(MemRealloc(&p, 4096), 0);
  EXPECT_GE(MemSize(p), 4096u);
  const auto* b = static_cast<const unsigned char*>(p);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], 0xAB);
  EXPECT_TRUE(AllZero(b + 8, 4096 - 8));
  MemFree(p);
}

TEST(Memory, FailedReallocLeavesTheCallersPointer) {
  void* p = MemAlloc(16);
  void* before = p;
  MemFailAfter(1);
  EXPECT_EQ(MemRealloc(&p, 1 << 20), -10);
  EXPECT_EQ(p, before);
  EXPECT_EQ(MemRealloc(&p, SIZE_MAX), -10);  // size + header would wrap
  EXPECT_EQ(p, before);
  MemFree(p);
}

TEST(Memory, FaultHookFailsTheNthAllocationOnly) {
  MemFailAfter(3);
  void* a = MemAlloc(1);
  void* b = MemAlloc(1);
  void* c = MemAlloc(1);
  void* d = MemAlloc(1);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  MemFree(a);
  MemFree(b);
  MemFree(d);
  EXPECT_EQ(MemAlloc(SIZE_MAX), nullptr);
}

}  // namespace

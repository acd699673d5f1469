#include "common/pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "common/memory.h"
#include "testing/test_env.h"

namespace {

class Pool : public ::testing::Test {
 protected:
  void SetUp() override { PoolTableInit(); }
  void TearDown() override {
    MemFailAfter(0);
    PoolTableTerm();
  }
};

TEST_F(Pool, IdsStartAtOneAndTheTableGrowsByTwentyFive) {
  for (int32_t expected = 1; expected <= 99; ++expected) ASSERT_EQ(PoolCreate(), expected);
  EXPECT_EQ(PoolCreate(), 100);  // grows the table from 100 to 125 heads
  for (int32_t expected = 101; expected <= 124; ++expected) ASSERT_EQ(PoolCreate(), expected);
  EXPECT_EQ(PoolAllocId(), 125);
  // A block in the newest id proves the added heads are usable.
  EXPECT_NE(PoolAlloc(125, 10), nullptr);
}

TEST_F(Pool, FailedGrowthLeavesTheTableUsable) {
  for (int i = 1; i <= 99; ++i) ASSERT_GT(PoolCreate(), 0);
  MemFailAfter(1);
  EXPECT_EQ(PoolCreate(), -1);
  EXPECT_NE(PoolAlloc(99, 4), nullptr);
  EXPECT_EQ(PoolCreate(), 100);
}

TEST_F(Pool, AnEmptiedPoolKeepsItsIdUntilDestroyed) {
  int32_t id = PoolCreate();
  void* only = PoolAlloc(id, 32);
  ASSERT_NE(only, nullptr);
  EXPECT_EQ(PoolFree(id, only), 1);
  EXPECT_NE(PoolAlloc(id, 8), nullptr);  // still a live pool
  EXPECT_EQ(PoolCreate(), id + 1);
  PoolDestroy(id);
  EXPECT_EQ(PoolAlloc(id, 8), nullptr);
  EXPECT_EQ(PoolCreate(), id);
}

TEST_F(Pool, BlocksAreZeroedAlignedAndSized) {
  int32_t id = PoolCreate();
  for (size_t size : {size_t{1}, size_t{16}, size_t{100}, size_t{5000}}) {
    auto* p = static_cast<unsigned char*>(PoolAlloc(id, size));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    EXPECT_GE(PoolBlockSize(id, p), size);
    for (size_t i = 0; i < size; ++i) ASSERT_EQ(p[i], 0);
  }
}

TEST_F(Pool, ReallocKeepsTheChainWhetherItMovesOrFails) {
  int32_t id = PoolCreate();
  auto* oldest = static_cast<char*>(PoolAlloc(id, 8));
  auto* middle = static_cast<char*>(PoolAlloc(id, 8));
  auto* newest = static_cast<char*>(PoolAlloc(id, 8));
  std::strcpy(middle, "middle");
  MemFailAfter(1);
  EXPECT_EQ(PoolRealloc(id, middle, 1 << 16), nullptr);
  EXPECT_STREQ(middle, "middle");
  auto* moved = static_cast<char*>(PoolRealloc(id, middle, 1 << 16));
  ASSERT_NE(moved, nullptr);
  EXPECT_STREQ(moved, "middle");
  EXPECT_EQ(moved[100], 0);
  auto* grown_newest = static_cast<char*>(PoolRealloc(id, newest, 1 << 16));
  ASSERT_NE(grown_newest, nullptr);
  // Unlinking each one walks the neighbours' links; a stale link would make
  // the sanitizer see a use after free.
  EXPECT_EQ(PoolFree(id, moved), 1);
  EXPECT_EQ(PoolFree(id, oldest), 1);
  EXPECT_EQ(PoolFree(id, grown_newest), 1);
}

TEST_F(Pool, CallsOnBadIdsOrForeignBlocksAreRefused) {
  int32_t a = PoolCreate();
  int32_t b = PoolCreate();
  void* in_a = PoolAlloc(a, 8);
  for (int32_t bad : {0, -1, 77, 100, 1 << 30}) {
    EXPECT_EQ(PoolAlloc(bad, 8), nullptr) << bad;
    EXPECT_EQ(PoolFree(bad, in_a), 0) << bad;
    PoolDestroy(bad);
  }
  EXPECT_EQ(PoolFree(a, nullptr), 0);
  EXPECT_EQ(PoolFree(b, in_a), 0);
  EXPECT_EQ(PoolRealloc(b, in_a, 64), nullptr);
  EXPECT_EQ(PoolRealloc(a, nullptr, 64), nullptr);
  EXPECT_EQ(PoolBlockSize(b, in_a), 0u);
  void* plain = MemAlloc(64);
  // Looks like a pool block only if someone wrote the marker into it.
  EXPECT_EQ(PoolFree(a, static_cast<char*>(plain) + 32), 0);
  MemFree(plain);
  EXPECT_EQ(PoolAlloc(a, SIZE_MAX), nullptr);
  EXPECT_EQ(PoolFree(a, in_a), 1);
}

TEST(PoolTable, TeardownFreesEverythingAndLaterCallsFailQuietly) {
  PoolTableInit();
  PoolTableInit();
  int32_t id = PoolCreate();
  void* p = PoolAlloc(id, 100);
  ASSERT_NE(p, nullptr);
  PoolTableTerm();  // one reference left: the table stays
  EXPECT_NE(PoolAlloc(id, 1), nullptr);
  PoolTableTerm();  // the leak checker sees whether the blocks went too
  EXPECT_EQ(PoolCreate(), -1);
  EXPECT_EQ(PoolAlloc(id, 1), nullptr);
  EXPECT_EQ(PoolFree(id, p), 0);
  EXPECT_EQ(PoolBlockSize(id, p), 0u);
  PoolDestroy(id);
  PoolTableInit();  // and the table can come back
  EXPECT_EQ(PoolCreate(), 1);
  PoolTableTerm();
}

TEST_F(Pool, ThreadsShareTheTable) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([t] {
      for (int round = 0; round < 50; ++round) {
        int32_t id = PoolCreate();
        ASSERT_GT(id, 0);
        std::vector<void*> blocks;
        for (int i = 0; i < 20; ++i) {
          void* p = PoolAlloc(id, 16 + i);
          ASSERT_NE(p, nullptr);
          std::memset(p, t, 16);
          blocks.push_back(p);
        }
        for (size_t i = 0; i < blocks.size(); i += 2) {
          blocks[i] = PoolRealloc(id, blocks[i], 256);
          ASSERT_NE(blocks[i], nullptr);
        }
        for (size_t i = 1; i < blocks.size(); i += 3) ASSERT_EQ(PoolFree(id, blocks[i]), 1);
        PoolDestroy(id);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(PoolCreate(), 1);  // every id came back
}

}  // namespace

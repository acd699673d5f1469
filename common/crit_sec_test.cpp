#include "common/crit_sec.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/memory.h"
#include "common/shared_mutex.h"
#include "testing/test_env.h"

namespace {

TEST(CritSec, IsRecursiveForItsOwnerAndCountsEntries) {
  CritSec lock;
  ASSERT_TRUE(lock.initialised());
  EXPECT_TRUE(lock.Enter());
  EXPECT_TRUE(lock.Enter());
  EXPECT_EQ(lock.lock_count(), 2);
  EXPECT_NE(lock.owner(), 0u);
  EXPECT_TRUE(lock.Leave());
  EXPECT_TRUE(lock.Leave());
  EXPECT_EQ(lock.lock_count(), 0);
  EXPECT_EQ(lock.owner(), 0u);
  EXPECT_FALSE(lock.Leave());  // not held by this thread
}

TEST(CritSec, LeaveByAnotherThreadFails) {
  CritSec lock;
  ASSERT_TRUE(lock.Enter());
  bool left = true;
  std::thread([&] { left = lock.Leave(); }).join();
  EXPECT_FALSE(left);
  EXPECT_EQ(lock.lock_count(), 1);
  EXPECT_TRUE(lock.Leave());
}

TEST(MutexFunctions, NullMutexIsRefused) {
  EXPECT_FALSE(MutexLock(nullptr));
  EXPECT_FALSE(MutexUnlock(nullptr));
  EXPECT_EQ(MutexDelete(nullptr), 0);
  CritSec* m = MutexCreate();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(MutexLock(m));
  EXPECT_TRUE(MutexUnlock(m));
  EXPECT_EQ(MutexDelete(m), 1);
  MemFailAfter(1);
  EXPECT_EQ(MutexCreate(), nullptr);
}

TEST(SharedMutex, ReferencesCreateAndDeleteTheMutex) {
  SharedMutex h;
  EXPECT_FALSE(SharedMutex::Release(&h));  // nothing to release
  EXPECT_EQ(h.references, 0);
  EXPECT_FALSE(SharedMutex::Lock(&h));
  ASSERT_TRUE(SharedMutex::Acquire(&h));
  ASSERT_TRUE(SharedMutex::Acquire(&h));
  EXPECT_EQ(h.references, 2);
  EXPECT_TRUE(SharedMutex::Lock(&h));
  EXPECT_TRUE(SharedMutex::Unlock(&h));
  EXPECT_FALSE(SharedMutex::Release(&h));
  EXPECT_TRUE(SharedMutex::Release(&h));
  EXPECT_FALSE(SharedMutex::IsValid(&h));
  EXPECT_FALSE(SharedMutex::Lock(&h));
  EXPECT_FALSE(SharedMutex::Acquire(nullptr));
  EXPECT_FALSE(SharedMutex::Release(nullptr));
  EXPECT_FALSE(SharedMutex::IsValid(nullptr));
}

TEST(SharedMutex, FailedCreateCountsNothing) {
  SharedMutex h;
  MemFailAfter(1);
  EXPECT_FALSE(SharedMutex::Acquire(&h));
  EXPECT_EQ(h.references, 0);
  EXPECT_FALSE(SharedMutex::Release(&h));
  ASSERT_TRUE(SharedMutex::Acquire(&h));  // the next acquire tries again
  EXPECT_EQ(h.references, 1);
  EXPECT_TRUE(SharedMutex::Release(&h));
}

TEST(SharedMutex, ConcurrentAcquirersCreateOneMutex) {
  SharedMutex h;
  std::vector<std::thread> threads;
  std::vector<CritSec*> seen(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      SharedMutex::Acquire(&h);
      seen[i] = h.mutex.load();
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(h.references, 8);
  for (CritSec* m : seen) EXPECT_EQ(m, seen[0]);
  for (int i = 0; i < 7; ++i) EXPECT_FALSE(SharedMutex::Release(&h));
  EXPECT_TRUE(SharedMutex::Release(&h));
}

}  // namespace

#include "platform/thread_id.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace {

TEST(ThreadIdTest, EachThreadAndAForkedChildSeeTheirOwnId) {
  const uint64_t main_id = PlatformThreadId();
  EXPECT_EQ(main_id, static_cast<uint64_t>(gettid()));
  EXPECT_EQ(PlatformThreadId(), main_id);

  uint64_t other = 0;
  uint64_t other_system = 0;
  std::thread([&] {
    other = PlatformThreadId();
    other_system = static_cast<uint64_t>(gettid());
  }).join();
  EXPECT_EQ(other, other_system);
  EXPECT_NE(other, main_id);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(PlatformThreadId() == static_cast<uint64_t>(gettid()) ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace

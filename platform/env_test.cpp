#include "platform/env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "testing/test_env.h"

namespace {

struct Seen : ScopedEnv {
  void DebugOutput(const char* text) override { lines.push_back(std::string("debug:") + text); }
  void ShowMessage(const char* text) override { lines.push_back(std::string("box:") + text); }
  std::vector<std::string> lines;
};

TEST(PlatformEnv, InstalledEnvironmentsNestAndNullRestoresTheSystem) {
  PlatformEnv* system = &PlatformEnvGet();
  {
    Seen outer;
    EXPECT_EQ(&PlatformEnvGet(), &outer);
    PlatformDebugOutput("one");
    {
      Seen inner;
      PlatformMessageBox("two");
      EXPECT_EQ(outer.lines, std::vector<std::string>{"debug:one"});  // not passed on
      EXPECT_EQ(inner.lines, std::vector<std::string>{"box:two"});
    }
    EXPECT_EQ(&PlatformEnvGet(), &outer);
    PlatformMessageBox("three");
    EXPECT_EQ(outer.lines, (std::vector<std::string>{"debug:one", "box:three"}));
  }
  EXPECT_EQ(&PlatformEnvGet(), system);

  Seen installed;
  EXPECT_EQ(PlatformEnvInstall(nullptr), &installed);
  EXPECT_EQ(&PlatformEnvGet(), system);
  EXPECT_EQ(PlatformEnvInstall(&installed), system);  // as the scope found it, for its own end
}

TEST(PlatformEnv, TheSystemAllocatesZeroedBlocksThatFreeReleases) {
  auto* block = static_cast<unsigned char*>(PlatformEnvGet().Allocate(64));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0) << i;
  block = static_cast<unsigned char*>(PlatformEnvGet().Reallocate(block, 128));
  ASSERT_NE(block, nullptr);
  std::free(block);
}

}  // namespace

// At most so many holders at once; who finds every place taken waits until
// one comes free or its own deadline passes.
#include "server/counting_gate.h"

#include <gtest/gtest.h>

#include <future>

namespace velsrv {
namespace {

using Clock = CountingGate::Clock;
using std::chrono::milliseconds;

TEST(CountingGateTest, HoldersBeyondThePlacesWaitUntilOneLeavesOrTheirDeadline) {
  CountingGate gate(2);
  const Clock::time_point far = Clock::now() + std::chrono::minutes(5);
  ASSERT_TRUE(gate.Enter(far));
  {
    CountingGate::Pass second(gate, far);
    EXPECT_TRUE(second.entered());
    // Full: a third gives up at its deadline.
    EXPECT_FALSE(gate.Enter(Clock::now() + milliseconds(20)));
  }
  // The pass left at the end of its scope.
  EXPECT_TRUE(gate.Enter(far));
  auto waiting = std::async(std::launch::async, [&] { return gate.Enter(far); });
  EXPECT_EQ(waiting.wait_for(milliseconds(50)), std::future_status::timeout);
  gate.Leave();
  EXPECT_TRUE(waiting.get());
}

}  // namespace
}  // namespace velsrv

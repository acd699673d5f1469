// Cancels from an address that named a wrong key take turns; other
// addresses are not held up, and a stop ends every wait.
#include "server/cancel_guard.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

namespace velsrv {
namespace {

using std::chrono::milliseconds;
using Clock = CancelGuard::Clock;

TEST(CancelGuardTest, AfterAFailureTheSameAddressWaitsItsTurnAcrossConnections) {
  const milliseconds spacing(100);
  CancelGuard guard(spacing);
  // A clean address passes at once, again and again.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(guard.AwaitTurn("10.1.1.1"));

  // Taken before the failure, from which the turns are counted.
  Clock::time_point start = Clock::now();
  guard.Failed("10.1.1.1");
  // Four connections from the guessing address at once: one turn per spacing.
  std::vector<std::future<Clock::time_point>> turns;
  for (int i = 0; i < 4; ++i) {
    turns.push_back(std::async(std::launch::async, [&] {
      EXPECT_TRUE(guard.AwaitTurn("10.1.1.1"));
      return Clock::now();
    }));
  }
  Clock::time_point last = start;
  for (auto& t : turns) last = std::max(last, t.get());
  EXPECT_GE(last - start, 4 * spacing);
}

TEST(CancelGuardTest, StopEndsTheWaitsAndRefusesLaterOnes) {
  CancelGuard guard(std::chrono::hours(1));
  guard.Failed("10.1.1.1");
  auto waiting = std::async(std::launch::async, [&] { return guard.AwaitTurn("10.1.1.1"); });
  EXPECT_EQ(waiting.wait_for(milliseconds(50)), std::future_status::timeout);
  // Another address is not held up by the guessing one: with an hour's
  // spacing, any wait at all would show as a time-out here.
  auto other = std::async(std::launch::async, [&] { return guard.AwaitTurn("10.2.2.2"); });
  EXPECT_EQ(other.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  guard.Stop();
  EXPECT_TRUE(other.get());
  EXPECT_FALSE(waiting.get());
  EXPECT_FALSE(guard.AwaitTurn("10.2.2.2"));
}

TEST(CancelGuardTest, AnAddressIsForgivenAfterAQuietWhile) {
  // A turn that still had to wait would take the whole two-second spacing:
  // far more than two look-ups take on however slow a machine.
  const std::chrono::seconds spacing(2);
  CancelGuard guard(spacing, milliseconds(10));
  guard.Failed("10.1.1.1");
  std::this_thread::sleep_for(spacing + milliseconds(100));
  Clock::time_point start = Clock::now();
  EXPECT_TRUE(guard.AwaitTurn("10.1.1.1"));
  EXPECT_TRUE(guard.AwaitTurn("10.1.1.1"));
  EXPECT_LT(Clock::now() - start, spacing);
}

}  // namespace
}  // namespace velsrv

// An address whose attempt failed takes turns, one per spacing across all
// its connections; an attempt before its turn is refused at once, never
// queued; a success gives its turn back; other addresses are not held up,
// and an address is forgiven after a quiet while. On a clock of the test's.
#include "server/address_backoff.h"

#include <gtest/gtest.h>

namespace velsrv {
namespace {

using std::chrono::seconds;
using Clock = AddressBackoff::Clock;

class FakeClock {
 public:
  Clock::time_point now() const { return now_; }
  void Advance(Clock::duration d) { now_ += d; }

 private:
  Clock::time_point now_ = Clock::time_point() + std::chrono::hours(1);
};

AddressBackoff MakeBackoff(FakeClock& clock) {
  return AddressBackoff(seconds(1), std::chrono::minutes(10), [&clock] { return clock.now(); });
}

int Granted(AddressBackoff& backoff, const std::string& address, int attempts) {
  int granted = 0;
  for (int i = 0; i < attempts; ++i) granted += backoff.Begin(address).granted ? 1 : 0;
  return granted;
}

TEST(AddressBackoffTest, AfterAFailureOneAttemptPerSpacingAndTheRestAreRefusedAtOnce) {
  FakeClock clock;
  AddressBackoff backoff = MakeBackoff(clock);
  // A clean address passes, again and again.
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 5), 5);

  backoff.Failed("10.1.1.1");
  // Thirty-two connections at once from the guessing address: none before
  // its turn, then one per spacing, the others refused without waiting.
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 32), 0);
  clock.Advance(seconds(1));
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 32), 1);
  clock.Advance(std::chrono::milliseconds(999));
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 32), 0);
  clock.Advance(std::chrono::milliseconds(1));
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 32), 1);
  // Another address is not held up by the guessing one.
  EXPECT_EQ(Granted(backoff, "10.2.2.2", 3), 3);
}

TEST(AddressBackoffTest, TheToleratedFailuresComeFreeThenTheAddressTakesTurns) {
  FakeClock clock;
  AddressBackoff backoff(
      seconds(1), std::chrono::minutes(10), [&clock] { return clock.now(); }, 2);
  for (int failure = 1; failure <= 2; ++failure) {
    backoff.Failed("10.1.1.1");
    EXPECT_EQ(Granted(backoff, "10.1.1.1", 3), 3) << failure;
  }
  backoff.Failed("10.1.1.1");
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 3), 0);
  clock.Advance(seconds(1));
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 3), 1);
  // Forgiven after the quiet while, the address has its tolerance again.
  clock.Advance(std::chrono::minutes(11));
  backoff.Failed("10.1.1.1");
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 3), 3);
}

TEST(AddressBackoffTest, ASuccessGivesItsTurnBackAFailureSinceDoesNot) {
  FakeClock clock;
  AddressBackoff backoff = MakeBackoff(clock);
  backoff.Failed("10.1.1.1");
  clock.Advance(seconds(1));
  AddressBackoff::Turn turn = backoff.Begin("10.1.1.1");
  ASSERT_TRUE(turn.granted);
  EXPECT_FALSE(backoff.Begin("10.1.1.1").granted);  // held while it runs
  backoff.Succeeded("10.1.1.1", turn);
  AddressBackoff::Turn next = backoff.Begin("10.1.1.1");
  EXPECT_TRUE(next.granted);  // the right attempt cost the address nothing

  // A failure while a turn is out: the success that comes after it does
  // not undo the failure's spacing.
  backoff.Failed("10.1.1.1");
  backoff.Succeeded("10.1.1.1", next);
  EXPECT_FALSE(backoff.Begin("10.1.1.1").granted);
}

TEST(AddressBackoffTest, AnAddressIsForgivenAfterAQuietWhile) {
  FakeClock clock;
  AddressBackoff backoff = MakeBackoff(clock);
  backoff.Failed("10.1.1.1");
  clock.Advance(std::chrono::minutes(9));
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 3), 1);  // still taking turns
  clock.Advance(std::chrono::minutes(2));
  EXPECT_EQ(Granted(backoff, "10.1.1.1", 3), 3);
}

}  // namespace
}  // namespace velsrv

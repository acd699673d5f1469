// Slows down whoever guesses from one address (cancel keys, passwords):
// once an attempt from an address has failed, the address takes turns, one
// attempt per spacing interval across all its connections, until it has
// gone a while without a failure. An attempt that comes before its turn is
// refused at once rather than queued, so that guessers hold no thread and
// no connection while they wait, and the right attempt of the address's
// owner is answered at once too (refused while the guessing goes on). A
// cancel key has 16 bits on the wire: this spacing is what keeps a scan of
// the key space at hours instead of seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace velsrv {

class AddressBackoff {
 public:
  using Clock = std::chrono::steady_clock;

  // `now` reads the time (tests give a clock of their own). An address
  // takes turns once it has more than `tolerated` recent failures: a person
  // who mistypes a password and types it again at once is not held up,
  // where a cancel key, which nobody mistypes, tolerates none.
  explicit AddressBackoff(Clock::duration spacing = std::chrono::seconds(1),
                          Clock::duration memory = std::chrono::minutes(10),
                          std::function<Clock::time_point()> now = Clock::now,
                          uint64_t tolerated = 0);

  // An attempt's turn: what Begin hands out and the outcome hands back.
  struct Turn {
    bool granted = false;
    bool held = false;      // the address was taking turns: this one is held
    uint64_t failures = 0;  // the address's failures when it was granted
  };
  // Whether an attempt from `address` may go now: always for an address
  // without a recent failure; for one with, only when its turn has come,
  // which the attempt then holds.
  Turn Begin(const std::string& address);
  // The attempt failed: the address's next turn is a spacing from now.
  void Failed(const std::string& address);
  // The attempt succeeded: the turn it held goes back, so that the
  // address's next attempt need not wait for it.
  void Succeeded(const std::string& address, const Turn& turn);

 private:
  struct Record {
    Clock::time_point next_turn;
    Clock::time_point last_failure;
    Clock::time_point turn_taken;  // when the last turn was granted
    uint64_t failures = 0;
  };
  void Forget(Clock::time_point now);

  const Clock::duration spacing_;
  const Clock::duration memory_;
  const std::function<Clock::time_point()> now_;
  const uint64_t tolerated_;
  std::mutex mutex_;
  std::map<std::string, Record> records_;
};

}  // namespace velsrv

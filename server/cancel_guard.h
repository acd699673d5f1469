// Slows down whoever guesses cancel keys: once a cancel from an address has
// named a wrong key, the cancels from that address take turns, one per
// spacing interval across all its connections, until it has gone a while
// without a failure. The key has 16 bits on the wire, so this spacing is
// what keeps a scan of the key space at hours instead of seconds.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace velsrv {

class CancelGuard {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CancelGuard(Clock::duration spacing = std::chrono::seconds(1),
                       Clock::duration memory = std::chrono::minutes(10));

  // Waits for the turn of a cancel from `address`; false when the guard is
  // stopped meanwhile (the server is ending).
  bool AwaitTurn(const std::string& address);
  // A cancel from `address` named a wrong key.
  void Failed(const std::string& address);
  // Ends every wait; later waits return false at once.
  void Stop();

 private:
  struct Record {
    Clock::time_point next_turn;
    Clock::time_point last_failure;
  };
  void Forget(Clock::time_point now);

  const Clock::duration spacing_;
  const Clock::duration memory_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::map<std::string, Record> records_;
};

}  // namespace velsrv

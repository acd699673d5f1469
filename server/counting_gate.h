// A bounded number of holders at once: who comes when every place is taken
// waits, up to a deadline of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velsrv {

class CountingGate {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CountingGate(int places) : free_(places) {}
  CountingGate(const CountingGate&) = delete;
  CountingGate& operator=(const CountingGate&) = delete;

  // Takes a place; false when none came free by the deadline.
  bool Enter(Clock::time_point deadline);
  void Leave();

  // Holds a place for a scope, when it got one.
  class Pass {
   public:
    Pass(CountingGate& gate, Clock::time_point deadline)
        : gate_(gate), entered_(gate.Enter(deadline)) {}
    ~Pass() {
      if (entered_) gate_.Leave();
    }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    bool entered() const { return entered_; }

   private:
    CountingGate& gate_;
    bool entered_;
  };

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  int free_;
};

}  // namespace velsrv

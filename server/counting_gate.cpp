#include "server/counting_gate.h"

namespace velsrv {

bool CountingGate::Enter(Clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!freed_.wait_until(lock, deadline, [this] { return free_ > 0; })) return false;
  --free_;
  return true;
}

void CountingGate::Leave() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++free_;
  }
  freed_.notify_one();
}

}  // namespace velsrv

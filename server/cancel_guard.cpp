#include "server/cancel_guard.h"

namespace velsrv {

namespace {

// Beyond this many addresses with recent failures the oldest are dropped,
// so that the table cannot grow without bound.
constexpr size_t kMaxRecords = 4096;

}  // namespace

CancelGuard::CancelGuard(Clock::duration spacing, Clock::duration memory)
    : spacing_(spacing), memory_(memory) {}

void CancelGuard::Forget(Clock::time_point now) {
  for (auto it = records_.begin(); it != records_.end();) {
    if (now - it->second.last_failure > memory_ && it->second.next_turn <= now)
      it = records_.erase(it);
    else
      ++it;
  }
  while (records_.size() > kMaxRecords) {
    auto oldest = records_.begin();
    for (auto it = records_.begin(); it != records_.end(); ++it) {
      if (it->second.last_failure < oldest->second.last_failure) oldest = it;
    }
    records_.erase(oldest);
  }
}

bool CancelGuard::AwaitTurn(const std::string& address) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stop_) return false;
  Clock::time_point now = Clock::now();
  auto it = records_.find(address);
  if (it == records_.end()) return true;
  if (now - it->second.last_failure > memory_ && it->second.next_turn <= now) {
    records_.erase(it);
    return true;
  }
  Clock::time_point turn = std::max(now, it->second.next_turn);
  it->second.next_turn = turn + spacing_;
  return !stopped_.wait_until(lock, turn, [this] { return stop_; });
}

void CancelGuard::Failed(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clock::time_point now = Clock::now();
  Forget(now);
  Record& r = records_[address];
  r.last_failure = now;
  if (r.next_turn < now + spacing_) r.next_turn = now + spacing_;
}

void CancelGuard::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stop_ = true;
  stopped_.notify_all();
}

}  // namespace velsrv

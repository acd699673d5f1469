#include "server/address_backoff.h"

#include <utility>

namespace velsrv {

namespace {

// Beyond this many addresses with recent failures the oldest are dropped,
// so that the table cannot grow without bound.
constexpr size_t kMaxRecords = 4096;

}  // namespace

AddressBackoff::AddressBackoff(Clock::duration spacing, Clock::duration memory,
                               std::function<Clock::time_point()> now, uint64_t tolerated)
    : spacing_(spacing), memory_(memory), now_(std::move(now)), tolerated_(tolerated) {}

void AddressBackoff::Forget(Clock::time_point now) {
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

AddressBackoff::Turn AddressBackoff::Begin(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clock::time_point now = now_();
  auto it = records_.find(address);
  if (it == records_.end()) return Turn{true, false, 0};
  Record& r = it->second;
  if (now - r.last_failure > memory_ && r.next_turn <= now) {
    records_.erase(it);
    return Turn{true, false, 0};
  }
  if (r.failures <= tolerated_) return Turn{true, false, r.failures};
  if (now < r.next_turn) return Turn{};
  r.next_turn = now + spacing_;
  r.turn_taken = now;
  return Turn{true, true, r.failures};
}

void AddressBackoff::Failed(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clock::time_point now = now_();
  Forget(now);
  Record& r = records_[address];
  r.last_failure = now;
  ++r.failures;
  if (r.failures > tolerated_ && r.next_turn < now + spacing_) r.next_turn = now + spacing_;
}

void AddressBackoff::Succeeded(const std::string& address, const Turn& turn) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = records_.find(address);
  // Only when nothing failed since the turn was taken: a failure keeps its
  // spacing.
  if (it != records_.end() && turn.held && it->second.failures == turn.failures)
    it->second.next_turn = it->second.turn_taken;
}

}  // namespace velsrv

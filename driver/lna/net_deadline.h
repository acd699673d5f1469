// A moment by which a transport step must be over: a login's connect,
// greeting and reply share one, so that its timeout bounds the whole.
#pragma once

#include <chrono>
#include <cstdint>

class NetDeadline {
 public:
  // No bound.
  NetDeadline() = default;
  // `ms` from now; 0 gives no bound.
  static NetDeadline After(uint32_t ms);

  bool bounded() const { return bounded_; }
  // What is left, in milliseconds: 0 once it has passed, UINT32_MAX without
  // a bound.
  uint32_t LeftMs() const;
  bool Passed() const { return bounded_ && LeftMs() == 0; }

 private:
  bool bounded_ = false;
  std::chrono::steady_clock::time_point at_{};
};

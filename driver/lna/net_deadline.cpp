#include "driver/lna/net_deadline.h"

NetDeadline NetDeadline::After(uint32_t ms) {
  NetDeadline d;
  if (ms == 0) return d;
  d.bounded_ = true;
  d.at_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  return d;
}

uint32_t NetDeadline::LeftMs() const {
  if (!bounded_) return UINT32_MAX;
  auto left =
      std::chrono::ceil<std::chrono::milliseconds>(at_ - std::chrono::steady_clock::now()).count();
  if (left <= 0) return 0;
  return left >= UINT32_MAX ? UINT32_MAX - 1 : static_cast<uint32_t>(left);
}

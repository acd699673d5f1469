#include "server/memory_budget.h"

namespace velsrv {

bool MemoryBudget::Take(uint64_t n) {
  uint64_t held = held_.load();
  do {
    if (n > server_limit_ || held > server_limit_ - n) return false;
  } while (!held_.compare_exchange_weak(held, held + n));
  return true;
}

MemoryRefusal MemoryAccount::Take(uint64_t n) {
  if (n > budget_.connection_limit() || held_ > budget_.connection_limit() - n)
    return MemoryRefusal::kConnection;
  if (!budget_.Take(n)) return MemoryRefusal::kServer;
  held_ += n;
  return MemoryRefusal::kNone;
}

void MemoryAccount::Give(uint64_t n) {
  if (n > held_) n = held_;
  held_ -= n;
  budget_.Give(n);
}

std::string MemoryAccount::RefusalText(MemoryRefusal refusal) const {
  if (refusal == MemoryRefusal::kConnection)
    return "Memory allocation failure: the values this connection's statements hold (parameters, "
           "long result values) would pass the server's bound of " +
           std::to_string(budget_.connection_limit()) +
           " bytes per connection; free statements, close their results or finish their data at "
           "execution.";
  return "Memory allocation failure: the server holds as much for its clients as it may (" +
         std::to_string(budget_.server_limit()) + " bytes); try again later.";
}

MemoryRefusal MemoryCharge::Resize(uint64_t bytes) {
  if (account_ == nullptr || bytes == bytes_) {
    bytes_ = bytes;
    return MemoryRefusal::kNone;
  }
  if (bytes < bytes_) {
    account_->Give(bytes_ - bytes);
  } else {
    MemoryRefusal r = account_->Take(bytes - bytes_);
    if (r != MemoryRefusal::kNone) return r;
  }
  bytes_ = bytes;
  return MemoryRefusal::kNone;
}

}  // namespace velsrv

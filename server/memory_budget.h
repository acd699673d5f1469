// What the server holds for its clients from one request to the next (the
// parameter values of their statements, data at execution gathered piece
// by piece, the long values of result rows not yet sent whole), bounded per connection and for the whole server: one client
// cannot take the machine's memory, and a refusal hits only the request
// that would pass a bound.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace velsrv {

// Which bound a request would pass.
enum class MemoryRefusal { kNone, kConnection, kServer };

// The server's total.
class MemoryBudget {
 public:
  MemoryBudget(uint64_t server_limit, uint64_t connection_limit)
      : server_limit_(server_limit), connection_limit_(connection_limit) {}
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  uint64_t held() const { return held_.load(); }
  uint64_t server_limit() const { return server_limit_; }
  uint64_t connection_limit() const { return connection_limit_; }

  // Adds `n` unless the total would pass the server's bound.
  bool Take(uint64_t n);
  void Give(uint64_t n) { held_.fetch_sub(n); }

 private:
  const uint64_t server_limit_;
  const uint64_t connection_limit_;
  std::atomic<uint64_t> held_{0};
};

// One connection's share of the budget; used by the connection's own
// thread only.
class MemoryAccount {
 public:
  explicit MemoryAccount(MemoryBudget& budget) : budget_(budget) {}
  ~MemoryAccount() { budget_.Give(held_); }
  MemoryAccount(const MemoryAccount&) = delete;
  MemoryAccount& operator=(const MemoryAccount&) = delete;

  uint64_t held() const { return held_; }
  MemoryRefusal Take(uint64_t n);
  void Give(uint64_t n);
  // The diagnostic text for a refusal of this account.
  std::string RefusalText(MemoryRefusal refusal) const;

 private:
  MemoryBudget& budget_;
  uint64_t held_ = 0;
};

// What one holder (a statement's parameters, its result) has taken from its account,
// given back when it goes.
class MemoryCharge {
 public:
  MemoryCharge() = default;
  ~MemoryCharge() { Resize(0); }
  MemoryCharge(const MemoryCharge&) = delete;
  MemoryCharge& operator=(const MemoryCharge&) = delete;

  uint64_t bytes() const { return bytes_; }
  // Holds `bytes` in all; a growth that a bound refuses changes nothing.
  // Without an account nothing is bounded.
  MemoryRefusal Resize(uint64_t bytes);
  // Before anything is held: the account it takes from.
  void set_account(MemoryAccount* account) { account_ = account; }
  const MemoryAccount* account() const { return account_; }

 private:
  MemoryAccount* account_ = nullptr;
  uint64_t bytes_ = 0;
};

}  // namespace velsrv

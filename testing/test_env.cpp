#include "testing/test_env.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class FailingAllocations final : public ForwardingEnv {
 public:
  FailingAllocations() : ForwardingEnv(nullptr) {}

  void Arm(long n) {
    countdown_.store(n, std::memory_order_relaxed);
    if (&PlatformEnvGet() == this) return;
    base_ = &PlatformEnvGet();
    PlatformEnvInstall(this);
  }

  void Disarm() {
    countdown_.store(0, std::memory_order_relaxed);
    if (&PlatformEnvGet() == this) PlatformEnvInstall(base_);
  }

  void* Allocate(size_t size) override {
    return Failing() ? nullptr : ForwardingEnv::Allocate(size);
  }
  void* Reallocate(void* block, size_t size) override {
    return Failing() ? nullptr : ForwardingEnv::Reallocate(block, size);
  }

 private:
  bool Failing() {
    long n = countdown_.load(std::memory_order_relaxed);
    while (n > 0) {
      if (countdown_.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) return n == 1;
    }
    return false;
  }

  std::atomic<long> countdown_{0};
};

FailingAllocations g_failing;

}  // namespace

void MemFailAfter(long n) {
  if (n > 0) {
    g_failing.Arm(n);
  } else {
    g_failing.Disarm();
  }
}

int ScopedSilentConnects::Connect(PlatSocket, const PlatInetAddress*, int timeout_ms) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    timeouts_.push_back(timeout_ms);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
  PlatSockSetLastError(kWsaEtimedout);
  return 0;
}

std::vector<int> ScopedSilentConnects::timeouts() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return timeouts_;
}

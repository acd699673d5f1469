#include "testing/fail_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_countdown{0};

bool ShouldFail() {
  long n = g_countdown.load(std::memory_order_relaxed);
  while (n > 0) {
    if (g_countdown.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) return n == 1;
  }
  return false;
}

void* Allocate(std::size_t size) {
  if (ShouldFail()) throw std::bad_alloc();
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void FailNewAfter(long n) {
  g_countdown.store(n < 0 ? 0 : n, std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
  return Allocate(size);
}

void* operator new[](std::size_t size) {
  return Allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* p) noexcept {
  std::free(p);
}

void operator delete[](void* p) noexcept {
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

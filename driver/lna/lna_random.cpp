#include "driver/lna/lna_random.h"

#include <chrono>
#include <random>

uint32_t LnaRandom() {
  thread_local std::minstd_rand generator([] {
    auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    static thread_local int anchor;
    auto seed = static_cast<uint64_t>(now) ^ reinterpret_cast<uintptr_t>(&anchor);
    return static_cast<std::minstd_rand::result_type>(seed ^ (seed >> 32));
  }());
  return static_cast<uint32_t>(generator() >> 8) & 0x7FFF;
}

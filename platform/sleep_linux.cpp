#include <chrono>
#include <thread>

#include "platform/sleep.h"

void PlatSleepMs(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

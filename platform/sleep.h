// Pausing the calling thread.
#pragma once

#include <cstdint>

void PlatSleepMs(uint32_t milliseconds);

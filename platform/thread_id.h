// Identity of the calling thread, as the system's tools (ps, gdb) show it.
#pragma once

#include <cstdint>

uint64_t PlatformThreadId();

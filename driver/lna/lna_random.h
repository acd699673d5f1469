// The remote-call client's own pseudo-random numbers, so that the login
// never disturbs the sequence an application draws from the C library.
#pragma once

#include <cstdint>

// 0 to 32767, from a generator of the calling thread's own, seeded from the
// clock at its first use.
uint32_t LnaRandom();

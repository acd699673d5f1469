// The client profile path: the registry path under which the driver reads
// its data sources' settings, set once when the first environment is made.
#pragma once

#include <cstddef>

constexpr size_t kProfilePathSize = 260;

// 1 when the path (shorter than kProfilePathSize) was stored; 0, with the
// stored path unchanged, for a null or longer one.
int ProfilePathSet(const char* path);
// The stored path; empty until one is set.
const char* ProfilePathGet();

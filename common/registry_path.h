// Walking a registry path's backslash-separated components. The walk keeps
// its place in the caller's cursor, so any number of threads may walk paths
// at once.
#pragma once

#include <cstddef>

// Finds the next non-empty component at or after *cursor: true with its
// start and length, the cursor moved past it; false at the end of the text.
bool RegPathNext(const char** cursor, const char** start, size_t* length);

// Temporary files of the file layer. Files are created atomically (an
// existing name is never opened) with mode 0600, under names drawn from the
// system's random source, so that another user can neither guess nor
// pre-create them.
#pragma once

#include <cstddef>
#include <cstdint>

// The prefix followed by a random number, cut to 9 characters, then ".tmp".
// 0, or 1 for a null argument or a buffer of `size` bytes too small for it.
int32_t FilTempName(const char* prefix, char* name, size_t size);

// Creates a new, empty file under a FilTempName name in `directory` (null:
// ".") and gives its path. 0; 1 for a null argument or when the path does
// not fit `size` bytes (nothing is created); 4003 after 301 names failed.
int32_t FilCreateTemp(const char* directory, const char* prefix, char* path, size_t size);

// With a nonempty `directory`, FilCreateTemp there. Else the same in the
// system's temporary directory; mode kFilTempDirOnly deletes the file again
// and gives only that directory, ending in "/".
constexpr int kFilTempDirOnly = 3;
int32_t FilTempFileName(const char* prefix, const char* directory, char* path, size_t size,
                        int mode);

// Small helpers for file paths ("/" separated) and the existence test used
// to find files beside a module.
#pragma once

#include <cstdint>

// 0 with directory + "/" + name in the buffer; 1, the buffer untouched,
// when an argument is missing, the size is 0 or the two lengths + 2 exceed
// the size. One "/" is always inserted, also after a directory ending in
// one.
int PathJoin(const char* directory, const char* name, char* buffer, uint16_t size);

// 1 with the path up to its last "/" (the "/" cut) in `output`, which must
// hold at least as many bytes as the path; 0 when no "/" stands after the
// first character.
int PathParentDir(const char* path, char* output);

// True when `path` names a regular file that this process can read; a
// directory or an unreadable file is not one.
bool FilExists(const char* path);

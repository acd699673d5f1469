// Reading and writing string values below a registry root, the layer under
// the profile calls. Keys are the handles of platform/registry.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/registry.h"

// The root key for "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG",
// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" and "HKEY_USERS" (in any case),
// else null. RegRootFromNameN looks at `length` characters of `name`.
PlatRegKey* RegRootFromName(const char* name);
PlatRegKey* RegRootFromNameN(const char* name, size_t length);

// Reads the value `key` of the key `path`\`section` below `root` (null: the
// current user). `path` holds backslash-separated components; empty ones
// are skipped. Returns the value's size counting its NUL, or 0 when a key or
// the value is missing or the value does not fit in `size` bytes. A null
// key lists the section's value names instead (RegEnumValues).
uint32_t RegReadValue(PlatRegKey* root, const char* path, const char* section, const char* key,
                      char* buffer, uint32_t size);

// 1 on success, 0 on failure. With a key and a value, sets the value, the
// keys leading to it created when missing; a null value deletes the value;
// a null key deletes the section with everything under it. A null or empty
// section fails. Deleting what does not exist succeeds.
int RegWriteValue(PlatRegKey* root, const char* path, const char* section, const char* key,
                  const char* value);

// Deletes `subkey` of `key` with every key under it: 0 when it is gone
// (also when it did not exist), else the first error met.
long RegDeleteTree(PlatRegKey* key, const char* subkey);

// The key's value names packed one after another, each with its NUL, and
// the list closed by one more NUL, all inside `size` bytes. Returns the
// bytes of the names (without the closing NUL). When not every name fits,
// the list holds the names that do and the result is size - 2. A buffer
// smaller than 2 bytes gets nothing and the result is 0.
uint32_t RegEnumValues(PlatRegKey* key, char* buffer, uint32_t size);

// Reading and writing settings by registry path: a path whose first
// component names a root ("HKEY_CURRENT_USER\Software\odbc\odbc.ini"), a
// section below it and a key (a value name). Components are separated by
// backslashes; empty ones are skipped. A first component that names no root
// ("Software\Velto") is the first key below the current user's root. Paths
// are at most 2047 characters. Safe to call from any thread.
#pragma once

#include <cstdint>

// Bytes of the value read (counting its NUL), or 0 when a key or the value
// is missing or the value does not fit in `size` bytes; on 0 the default,
// when given, is copied into the buffer, cut to fit and always terminated.
// A null key lists the section's value names instead (see RegEnumValues in
// common/registry.h). A missing, too long or empty path gives 0 without
// touching the buffer.
uint32_t ProfileReadString(const char* path, const char* section, const char* key,
                           const char* default_value, char* buffer, uint32_t size);

// 1 on success, 0 on failure. A value is written as a string, its keys
// created when missing; a null value deletes the value; a null key deletes
// the section with everything under it. Deleting what is not there
// succeeds. A null or empty section fails, as does a value that the store
// cannot hold (line breaks) or a write the process has no rights for. A
// path below "HKEY_CURRENT_CONFIG", which cannot be written, is written
// below the current user with "HKEY_CURRENT_CONFIG" as its first key.
int ProfileWriteString(const char* path, const char* section, const char* key, const char* value);

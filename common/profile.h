// Reading and writing settings by registry path: a path whose first
// component names a root ("HKEY_CURRENT_USER\Software\odbc\odbc.ini"), a
// section below it and a key (a value name).
#pragma once

#include <cstdint>

// Bytes of the value read (counting its NUL), or 0; on 0 the default, when
// given, is copied into the buffer. A null key lists the section's value
// names instead.
uint32_t ProfileReadString(const char* path, const char* section, const char* key,
                           const char* default_value, char* buffer, uint32_t size);

// 1 on success, 0 on failure. A null value deletes the value; a null key
// deletes the section with everything under it.
int ProfileWriteString(const char* path, const char* section, const char* key, const char* value);

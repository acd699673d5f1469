// The call layer's settings, read from the connection string of a login:
// items "key=value" separated by ';', a value in double quotes may hold
// ';'. Keys are found by their first occurrence anywhere in the string,
// letter case counting.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/trace.h"
#include "driver/lna/lna_records.h"

// The value of `key` into `out` (empty when absent); -20 with a diagnostic
// on the connection or statement when the item has no '=' or the value
// does not fit `size` with its NUL.
int16_t LnaGetConnAttr(LnaConnection* conn, LnaStatement* stmt, const char* key,
                       const char* conn_string, char* out, size_t size);
// True for a value beginning with 1, t, T, y or Y, or equal to "yes",
// "true" or "on" in any case; false when absent.
int16_t LnaGetConnAttrBool(LnaConnection* conn, LnaStatement* stmt, const char* key,
                           const char* conn_string, uint32_t* value);
// ArrayFetchOn and ArrayBufferSize (1 to 63 kilobytes).
void LnaReadArrayFetch(LnaConnection* conn, const char* conn_string);
// AsyncEnable: "OFF", "NO" or "0" disable asynchronous calls.
void LnaReadAsyncEnable(LnaConnection* conn, const char* conn_string);
// The `LnaTrace` of the data source the string names, or null.
TraceHandle* LnaOpenTrace(const char* conn_string, int32_t* level);
// Replaces the value of every PWD or Password item (any letter case) by
// '*' characters, in place; a value in double quotes or braces is masked
// whole.
void MaskConnPassword(char* conn_string);

// The text the driver logs in with: the connection's keywords, further keys
// of the data source, the client's identity and the calling program.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kLoginStringSize = 8192;
// The login carries at most this many characters of the string.
constexpr size_t kLoginStringMaxSent = 510;

// Appends ";ClntHostName=<host>;ClntIP=<address>;ClntUserName=<user>;" to
// the terminated `text` of `size` bytes ("Unknown" and "0.0.0.0" stand in
// for what cannot be found). 0, or -1 when it does not fit (unchanged).
int32_t DrvAddClientIdentity(char* text, size_t size);
// Appends "ExecDesc=<program file name>;" ("Unknown" when the program's
// name cannot be had). 0, or -1 when it does not fit (unchanged).
int32_t DrvAddExecDesc(char* text, size_t size);
// Shortens `text` to at most `limit` characters by dropping whole items
// from its end, so that no value reaches the server cut short. The kept
// part ends with its ";".
void FitLoginString(char* text, size_t limit);

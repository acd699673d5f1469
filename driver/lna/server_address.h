// Server texts: "host:port" or "host.port", the port a number or a service
// name.
#pragma once

#include <cstddef>

#include "platform/net_socket.h"

// Longest address text a connect accepts, and the longest real server text
// that is kept.
constexpr size_t kNetMaxAddress = 127;
constexpr size_t kNetMaxRealServer = 255;

// The server text as the transport reports it: host_port cut to
// kNetMaxRealServer characters, with its last '.' turned into ':' when it
// has no ':'. `out` holds kNetMaxRealServer + 1 bytes.
void NetRealServerText(const char* host_port, char* out);

// Splits the address at its last ':' (else its last '.') and resolves both
// parts. 1, or 0 with the code in the thread's last error: 148 for a text
// without a separator, an empty or out-of-range port, otherwise the mapped
// look-up error.
int NetResolveAddress(const char* address, PlatInetAddress* out);

// The per-user firewall-tunnelling settings: whether connects go through a
// proxy, and which.
#pragma once

#include <cstddef>

// 1 with "ProxyServer:ProxyPort" in `address` (cut to size - 1 characters)
// when `UseProxyServer` is on and `ProxyServer` names a host; 0 to connect
// directly. Each setting read is written to the protocol trace.
int NetProxyAddress(char* address, size_t size);

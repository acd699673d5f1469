// Socket addresses of either family as the server shows and judges them.
#pragma once

#include <sys/socket.h>

#include <string>

namespace velsrv {

// Numeric text of the address without its port; an IPv4 address mapped
// into IPv6 shows as plain IPv4.
std::string AddressText(const sockaddr_storage& address);
// 127.0.0.0/8, ::1, or 127.x mapped into IPv6.
bool IsLoopback(const sockaddr_storage& address);

// The address to listen on for `host` (a name or numeric text of either
// family): the name's first IPv4 address where it has one ("localhost" is
// 127.0.0.1), else its first IPv6 address. False with a message.
bool ResolveListenAddress(const std::string& host, uint16_t port, sockaddr_storage* address,
                          socklen_t* length, std::string* error);

}  // namespace velsrv

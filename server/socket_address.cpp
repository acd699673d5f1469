#include "server/socket_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cstring>

namespace velsrv {

namespace {

bool MappedIpv4(const sockaddr_in6& a, in_addr* out) {
  if (!IN6_IS_ADDR_V4MAPPED(&a.sin6_addr)) return false;
  std::memcpy(&out->s_addr, a.sin6_addr.s6_addr + 12, 4);
  return true;
}

}  // namespace

std::string AddressText(const sockaddr_storage& address) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
  } else if (address.ss_family == AF_INET6) {
    const auto& a6 = reinterpret_cast<const sockaddr_in6&>(address);
    in_addr v4;
    if (MappedIpv4(a6, &v4))
      inet_ntop(AF_INET, &v4, text, sizeof text);
    else
      inet_ntop(AF_INET6, &a6.sin6_addr, text, sizeof text);
  }
  return text;
}

bool IsLoopback(const sockaddr_storage& address) {
  in_addr v4{};
  if (address.ss_family == AF_INET) {
    v4 = reinterpret_cast<const sockaddr_in&>(address).sin_addr;
  } else if (address.ss_family == AF_INET6) {
    const auto& a6 = reinterpret_cast<const sockaddr_in6&>(address);
    if (IN6_IS_ADDR_LOOPBACK(&a6.sin6_addr)) return true;
    if (!MappedIpv4(a6, &v4)) return false;
  } else {
    return false;
  }
  return (ntohl(v4.s_addr) >> 24) == 127;
}

bool ResolveListenAddress(const std::string& host, uint16_t port, sockaddr_storage* address,
                          socklen_t* length, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
  if (rc != 0) {
    *error = host + ": " + gai_strerror(rc);
    return false;
  }
  const addrinfo* chosen = nullptr;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family == AF_INET && chosen == nullptr) chosen = a;
  }
  for (const addrinfo* a = found; a != nullptr && chosen == nullptr; a = a->ai_next) {
    if (a->ai_family == AF_INET6) chosen = a;
  }
  if (chosen == nullptr || chosen->ai_addrlen > sizeof *address) {
    freeaddrinfo(found);
    *error = host + ": no IPv4 or IPv6 address";
    return false;
  }
  std::memset(address, 0, sizeof *address);
  std::memcpy(address, chosen->ai_addr, chosen->ai_addrlen);
  *length = chosen->ai_addrlen;
  freeaddrinfo(found);
  return true;
}

}  // namespace velsrv

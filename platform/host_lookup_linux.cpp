#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

#include "platform/host_lookup.h"

int PlatHostAddresses(const char* host, std::vector<uint32_t>* addresses) {
  addresses->clear();
  if (host == nullptr || *host == '\0') return 0;
  in_addr dotted{};
  if (inet_pton(AF_INET, host, &dotted) == 1) {
    addresses->push_back(dotted.s_addr);
    return 1;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0) return 0;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    uint32_t address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
    bool seen = false;
    for (uint32_t known : *addresses) seen = seen || known == address;
    if (!seen) addresses->push_back(address);
  }
  freeaddrinfo(found);
  return addresses->empty() ? 0 : 1;
}

int PlatAddressName(uint32_t address, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = address;
  char name[NI_MAXHOST] = {};
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&sa), sizeof sa, name, sizeof name, nullptr, 0,
                  NI_NAMEREQD) != 0) {
    return 0;
  }
  size_t n = std::strlen(name);
  if (n == 0 || n >= size) return 0;
  std::memcpy(buffer, name, n + 1);
  return 1;
}

#include "setup/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

namespace {

class SystemLookup : public HostLookup {
 public:
  bool Address(const char* host, uint32_t* address) override {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) return false;
    *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
  }

  bool ServicePort(const char* service, uint32_t* port) override {
    servent entry{};
    servent* result = nullptr;
    char buffer[1024];
    if (getservbyname_r(service, "tcp", &entry, buffer, sizeof buffer, &result) != 0 ||
        result == nullptr) {
      return false;
    }
    *port = ntohs(static_cast<uint16_t>(result->s_port));
    return true;
  }
};

SystemLookup g_system;
HostLookup* g_lookup = &g_system;

constexpr size_t kDottedMax = 15;

}  // namespace

HostLookup& CurrentHostLookup() {
  return *g_lookup;
}

HostLookup* SetHostLookup(HostLookup* lookup) {
  HostLookup* previous = g_lookup == &g_system ? nullptr : g_lookup;
  g_lookup = lookup != nullptr ? lookup : &g_system;
  return previous;
}

int ResolveHostAddress(const char* host, uint32_t* address) {
  uint32_t value = INADDR_NONE;
  if (std::strlen(host) <= kDottedMax) value = inet_addr(host);
  if (value == INADDR_NONE && !CurrentHostLookup().Address(host, &value)) return 0;
  if (value == INADDR_NONE) return 0;
  *address = value;
  return 1;
}

int ResolveHostToText(const char* host, char* text, size_t size) {
  if (size == 0) return 0;
  uint32_t address = 0;
  int resolved = ResolveHostAddress(host, &address);
  if (resolved) {
    std::snprintf(text, size, "%lu", static_cast<unsigned long>(address));
  } else {
    std::snprintf(text, size, "%s", host);
  }
  return resolved;
}

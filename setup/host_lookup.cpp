#include "setup/host_lookup.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/host_lookup.h"

namespace {

constexpr size_t kDottedMax = 15;

}  // namespace

int ResolveHostAddress(const char* host, uint32_t* address) {
  uint32_t value = INADDR_NONE;
  if (std::strlen(host) <= kDottedMax) value = inet_addr(host);
  if (value == INADDR_NONE) {
    std::vector<uint32_t> found;
    if (!PlatHostAddresses(host, &found)) return 0;
    value = found.front();
  }
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

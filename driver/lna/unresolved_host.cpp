#include "driver/lna/unresolved_host.h"

#include <cstring>

namespace {

constexpr size_t kHostRoom = 256;
thread_local char t_host[kHostRoom];

}  // namespace

void NetNoteUnresolvedHost(const char* host) {
  size_t n = host != nullptr ? strnlen(host, kHostRoom - 1) : 0;
  if (n > 0) std::memcpy(t_host, host, n);
  t_host[n] = '\0';
}

const char* NetUnresolvedHost() {
  return t_host;
}

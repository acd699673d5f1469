#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/env.h"
#include "platform/host_lookup.h"

namespace {

int32_t AddrInfoError(int rc, int saved_errno) {
  switch (rc) {
    case EAI_NONAME:
      return kWsaHostNotFound;
    case EAI_AGAIN:
      return kWsaTryAgain;
    case EAI_FAIL:
      return kWsaNoRecovery;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return kWsaNoData;
#endif
    case EAI_MEMORY:
      return kWsaEnobufs;
    case EAI_SYSTEM:
      return PlatSockErrorFromErrno(saved_errno);
    default:
      return kWsaNoRecovery;
  }
}

}  // namespace

int32_t PlatformEnv::HostAddresses(const char* host, std::vector<uint32_t>* addresses) {
  addresses->clear();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int rc = getaddrinfo(host, nullptr, &hints, &found);
  int saved_errno = errno;
  if (rc != 0) return AddrInfoError(rc, saved_errno);
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    uint32_t address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
    bool seen = false;
    for (uint32_t known : *addresses) seen = seen || known == address;
    if (!seen) addresses->push_back(address);
  }
  freeaddrinfo(found);
  return addresses->empty() ? kWsaNoData : 0;
}

bool PlatformEnv::AddressName(uint32_t address, std::string* name) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = address;
  char text[NI_MAXHOST] = {};
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&sa), sizeof sa, text, sizeof text, nullptr, 0,
                  NI_NAMEREQD) != 0) {
    return false;
  }
  *name = text;
  return true;
}

bool PlatformEnv::ServicePort(const char* service, const char* protocol, uint32_t* port) {
  servent entry{};
  servent* result = nullptr;
  char scratch[1024];
  if (getservbyname_r(service, protocol, &entry, scratch, sizeof scratch, &result) != 0 ||
      result == nullptr) {
    return false;
  }
  *port = ntohs(static_cast<uint16_t>(result->s_port));
  return true;
}

int PlatHostAddresses(const char* host, std::vector<uint32_t>* addresses) {
  addresses->clear();
  if (host == nullptr || *host == '\0') return 0;
  in_addr dotted{};
  if (inet_pton(AF_INET, host, &dotted) == 1) {
    addresses->push_back(dotted.s_addr);
    return 1;
  }
  if (PlatformEnvGet().HostAddresses(host, addresses) != 0) addresses->clear();
  return addresses->empty() ? 0 : 1;
}

int PlatAddressName(uint32_t address, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string name;
  if (!PlatformEnvGet().AddressName(address, &name)) return 0;
  if (name.empty() || name.size() >= size) return 0;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return 1;
}

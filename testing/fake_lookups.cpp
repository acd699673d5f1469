#include "testing/fake_lookups.h"

#include <arpa/inet.h>

uint32_t Ipv4(const char* dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted, &a);
  return a.s_addr;
}

int32_t FakeLookups::HostAddresses(const char* name, std::vector<uint32_t>* addresses) {
  ++lookups;
  auto found = hosts.find(name);
  if (found == hosts.end() || found->second.empty()) return kWsaHostNotFound;
  *addresses = found->second;
  return 0;
}

bool FakeLookups::AddressName(uint32_t address, std::string* name) {
  auto found = names.find(address);
  if (found == names.end()) return false;
  *name = found->second;
  return true;
}

bool FakeLookups::ServicePort(const char* service, const char* protocol, uint32_t* port) {
  auto found = services.find(service);
  if (std::string(protocol) != "tcp" || found == services.end()) return false;
  *port = found->second;
  return true;
}

bool FakeLookups::HostName(std::string* name) {
  *name = host;
  return !host.empty();
}

bool FakeLookups::UserName(std::string* name) {
  *name = user;
  return !user.empty();
}

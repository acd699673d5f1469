#include "tools/shared/resolver.h"

#include "platform/host_identity.h"
#include "platform/host_lookup.h"
#include "platform/net_socket.h"

bool SystemResolver::HostName(std::string* name) const {
  char buffer[256];
  if (!PlatHostName(buffer, sizeof buffer)) return false;
  *name = buffer;
  return true;
}

bool SystemResolver::UserName(std::string* name) const {
  char buffer[256];
  if (!PlatUserName(buffer, sizeof buffer)) return false;
  *name = buffer;
  return true;
}

bool SystemResolver::HostAddresses(const std::string& host,
                                   std::vector<uint32_t>* addresses) const {
  return PlatHostAddresses(host.c_str(), addresses) != 0;
}

bool SystemResolver::AddressName(uint32_t address, std::string* name) const {
  char buffer[1025];
  if (!PlatAddressName(address, buffer, sizeof buffer)) return false;
  *name = buffer;
  return true;
}

bool SystemResolver::ServicePort(const std::string& service, uint16_t* port) const {
  return PlatResolveService(service.c_str(), "tcp", port) != 0;
}

std::string DottedAddress(uint32_t address) {
  char text[16];
  PlatInetText(address, text);
  return text;
}

std::string DescribeAddress(const Resolver& resolver, uint32_t address) {
  std::string name;
  if (resolver.AddressName(address, &name)) return name + " (" + DottedAddress(address) + ")";
  return DottedAddress(address);
}

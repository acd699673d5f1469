#include "tools/shared/resolver.h"

#include "platform/host_identity.h"
#include "platform/host_lookup.h"
#include "platform/net_socket.h"

bool ToolHostName(std::string* name) {
  char buffer[256];
  if (!PlatHostName(buffer, sizeof buffer)) return false;
  *name = buffer;
  return true;
}

bool ToolUserName(std::string* name) {
  char buffer[256];
  if (!PlatUserName(buffer, sizeof buffer)) return false;
  *name = buffer;
  return true;
}

bool ToolHostAddresses(const std::string& host, std::vector<uint32_t>* addresses) {
  return PlatHostAddresses(host.c_str(), addresses) != 0;
}

bool ToolAddressName(uint32_t address, std::string* name) {
  char buffer[1025];
  if (!PlatAddressName(address, buffer, sizeof buffer)) return false;
  *name = buffer;
  return true;
}

bool ToolServicePort(const std::string& service, uint16_t* port) {
  return PlatResolveService(service.c_str(), "tcp", port) != 0;
}

std::string DottedAddress(uint32_t address) {
  char text[16];
  PlatInetText(address, text);
  return text;
}

std::string DescribeAddress(uint32_t address) {
  std::string name;
  if (ToolAddressName(address, &name)) return name + " (" + DottedAddress(address) + ")";
  return DottedAddress(address);
}

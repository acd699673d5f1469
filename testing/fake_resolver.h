// A resolver whose host, user, addresses, names and services are what the
// test says, so that "this host" and its addresses are under its control.
#pragma once

#include <arpa/inet.h>

#include <map>
#include <string>
#include <vector>

#include "tools/shared/resolver.h"

namespace testing_tools {

// An address in network order from its dotted text.
inline uint32_t Ip(const char* dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted, &a);
  return a.s_addr;
}

class FakeResolver : public Resolver {
 public:
  std::string host = "pc7";  // empty: the host name query fails
  std::string user = "ann";  // empty: the user name query fails
  std::map<std::string, std::vector<uint32_t>> hosts = {{"pc7", {Ip("10.0.0.7")}}};
  std::map<uint32_t, std::string> names;
  std::map<std::string, uint16_t> services;

  bool HostName(std::string* name) const override {
    *name = host;
    return !host.empty();
  }
  bool UserName(std::string* name) const override {
    *name = user;
    return !user.empty();
  }
  bool HostAddresses(const std::string& name, std::vector<uint32_t>* addresses) const override {
    in_addr a{};
    if (inet_pton(AF_INET, name.c_str(), &a) == 1) {
      *addresses = {a.s_addr};
      return true;
    }
    auto it = hosts.find(name);
    if (it == hosts.end() || it->second.empty()) return false;
    *addresses = it->second;
    return true;
  }
  bool AddressName(uint32_t address, std::string* name) const override {
    auto it = names.find(address);
    if (it == names.end()) return false;
    *name = it->second;
    return true;
  }
  bool ServicePort(const std::string& service, uint16_t* port) const override {
    auto it = services.find(service);
    if (it == services.end()) return false;
    *port = it->second;
    return true;
  }
};

}  // namespace testing_tools

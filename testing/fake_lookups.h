// Name look-ups for tests (platform/env.h): only the names a test gives
// resolve, and this machine and its user are what the test says, so that
// no test asks the network and "this host" is under the test's control.
// In force for the object's lifetime, over the environment before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "testing/test_env.h"

// The address a.b.c.d as the sockets library holds it (network order).
uint32_t Ipv4(const char* dotted);

class FakeLookups : public ScopedEnv {
 public:
  std::string host = "pc7";  // this machine; empty: the host name query fails
  std::string user = "ann";  // its user; empty: the user name query fails
  std::map<std::string, std::vector<uint32_t>> hosts = {{"pc7", {Ipv4("10.0.0.7")}}};
  std::map<uint32_t, std::string> names;     // address -> name
  std::map<std::string, uint32_t> services;  // TCP service -> port
  std::atomic<int> lookups{0};               // host names asked for

  int32_t HostAddresses(const char* name, std::vector<uint32_t>* addresses) override;
  bool AddressName(uint32_t address, std::string* name) override;
  bool ServicePort(const char* service, const char* protocol, uint32_t* port) override;
  bool HostName(std::string* name) override;
  bool UserName(std::string* name) override;
};

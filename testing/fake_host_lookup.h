// A host look-up for tests: only the names it is given resolve, so no test
// asks the network.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "setup/host_lookup.h"

class FakeHostLookup : public HostLookup {
 public:
  // Installed for the object's lifetime.
  FakeHostLookup();
  ~FakeHostLookup() override;
  FakeHostLookup(const FakeHostLookup&) = delete;
  FakeHostLookup& operator=(const FakeHostLookup&) = delete;

  std::map<std::string, uint32_t> hosts;     // name -> address as the sockets library holds it
  std::map<std::string, uint32_t> services;  // TCP service -> port
  int lookups = 0;                           // host names asked for

  bool Address(const char* host, uint32_t* address) override;
  bool ServicePort(const char* service, uint32_t* port) override;

 private:
  HostLookup* previous_;
};

// The address a.b.c.d as the sockets library holds it.
uint32_t Ipv4(const char* dotted);

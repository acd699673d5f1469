#include "testing/fake_host_lookup.h"

#include <arpa/inet.h>

FakeHostLookup::FakeHostLookup() : previous_(SetHostLookup(this)) {}

FakeHostLookup::~FakeHostLookup() {
  SetHostLookup(previous_);
}

bool FakeHostLookup::Address(const char* host, uint32_t* address) {
  ++lookups;
  auto found = hosts.find(host);
  if (found == hosts.end()) return false;
  *address = found->second;
  return true;
}

bool FakeHostLookup::ServicePort(const char* service, uint32_t* port) {
  auto found = services.find(service);
  if (found == services.end()) return false;
  *port = found->second;
  return true;
}

uint32_t Ipv4(const char* dotted) {
  return inet_addr(dotted);
}

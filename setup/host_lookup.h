// Name look-ups of the setup library: host names to IPv4 addresses and TCP
// service names to ports. Tests replace the system's look-up with their own
// so that no name ever goes to the network.
#pragma once

#include <cstddef>
#include <cstdint>

class HostLookup {
 public:
  virtual ~HostLookup() = default;
  // The host's first IPv4 address as the sockets library holds it (network
  // byte order in a 32-bit word); false when the name does not resolve.
  virtual bool Address(const char* host, uint32_t* address) = 0;
  // The TCP service's port number; false for an unknown service.
  virtual bool ServicePort(const char* service, uint32_t* port) = 0;
};

// The look-up in use: the system's unless a test installed its own.
HostLookup& CurrentHostLookup();
// Installs `lookup` (not owned; null restores the system's); returns the
// one it replaces.
HostLookup* SetHostLookup(HostLookup* lookup);

// 1 and the address when the host resolves: a dotted address of up to 15
// characters without a name look-up, anything else through the look-up
// (which may wait on the network: the dialogs show the wait cursor around
// it; a silent call shows nothing).
// The all-ones address counts as unresolved.
int ResolveHostAddress(const char* host, uint32_t* address);
// The host's item of the resolved-address list: the address in decimal, or
// the host text itself when it does not resolve (cut to fit `size`).
// Returns what ResolveHostAddress returned.
int ResolveHostToText(const char* host, char* text, size_t size);

// Host look-ups beyond the first address: every IPv4 address of a name, and
// the name of an address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The IPv4 addresses (network order) of a dotted address or a host name, in
// the resolver's order. 1, or 0 when there are none.
int PlatHostAddresses(const char* host, std::vector<uint32_t>* addresses);
// The name of an IPv4 address (network order) by reverse look-up. 1, or 0
// when it has none or it does not fit in `size` bytes.
int PlatAddressName(uint32_t address, char* buffer, size_t size);

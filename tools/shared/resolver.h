// Who and where this client is, and what names and addresses mean: every
// host, user, address and TCP service look-up of the tools goes through
// one of these, so that tests decide what "this host" is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Resolver {
 public:
  virtual ~Resolver() = default;
  // This machine's host name; false when it cannot be had.
  virtual bool HostName(std::string* name) const = 0;
  // The logged-on user's name; false when it cannot be had.
  virtual bool UserName(std::string* name) const = 0;
  // The IPv4 addresses (network order) of a dotted address or a host name;
  // false when there are none.
  virtual bool HostAddresses(const std::string& host, std::vector<uint32_t>* addresses) const = 0;
  // The name of an address (network order) by reverse look-up; false when
  // it has none.
  virtual bool AddressName(uint32_t address, std::string* name) const = 0;
  // The port (host order) of a TCP service name; false when unknown.
  virtual bool ServicePort(const std::string& service, uint16_t* port) const = 0;
};

// The system's own look-ups.
class SystemResolver : public Resolver {
 public:
  bool HostName(std::string* name) const override;
  bool UserName(std::string* name) const override;
  bool HostAddresses(const std::string& host, std::vector<uint32_t>* addresses) const override;
  bool AddressName(uint32_t address, std::string* name) const override;
  bool ServicePort(const std::string& service, uint16_t* port) const override;
};

// Dotted text of an address in network order.
std::string DottedAddress(uint32_t address);
// "name (dotted)" when the address has a name, else the dotted address:
// how traces and reports name a server.
std::string DescribeAddress(const Resolver& resolver, uint32_t address);

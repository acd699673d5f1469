// Who and where this client is, and what names and addresses mean, in the
// forms the tools use: the platform's look-ups (platform/env.h, which tests
// replace to decide what "this host" is).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// This machine's host name; false when it cannot be had.
bool ToolHostName(std::string* name);
// The logged-on user's name; false when it cannot be had.
bool ToolUserName(std::string* name);
// The IPv4 addresses (network order) of a dotted address or a host name;
// false when there are none.
bool ToolHostAddresses(const std::string& host, std::vector<uint32_t>* addresses);
// The name of an address (network order) by reverse look-up; false when it
// has none.
bool ToolAddressName(uint32_t address, std::string* name);
// The port (host order) of a TCP service name; false when unknown.
bool ToolServicePort(const std::string& service, uint16_t* port);

// Dotted text of an address in network order.
std::string DottedAddress(uint32_t address);
// "name (dotted)" when the address has a name, else the dotted address:
// how traces and reports name a server.
std::string DescribeAddress(uint32_t address);

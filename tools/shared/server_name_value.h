// The two texts that name servers: a data source's ServerName
// ("address.port" items joined by ",", which the driver reads) and the
// tools' ServerList ("host:port" items joined by ";"). Both stay within
// kServerTextMax characters; items that would not fit are left out whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/shared/server_entry.h"

constexpr size_t kServerTextMax = 512;

// One server of a ServerName. A host that does not resolve at the moment is
// kept as the item's text: a name server that is down for a minute must not
// take the server out of the data source.
struct DsnServer {
  bool resolved = false;
  uint32_t address = 0;  // network order, when resolved
  uint16_t port = 0;     // network order
  std::string text;      // the item as read, when not resolved
};
using DsnServers = std::vector<DsnServer>;

// Each item is read as the driver reads it: the last ":", else the last
// ".", separates the host (dotted address or name) from the port (a number,
// or a TCP service name). Items without either or whose port is 0 or
// unknown are left out.
DsnServers ParseServerNameValue(const std::string& text);
std::string FormatServerNameValue(const DsnServers& servers);
// "host:port" per server, the host from a reverse look-up, else dotted.
std::string FormatServerListValue(const ServerEntries& servers);

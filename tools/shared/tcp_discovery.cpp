#include "tools/shared/tcp_discovery.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <string_view>
#include <vector>

#include "tools/shared/tool_status.h"
#include "tools/shared/tool_text.h"
#include "tools/shared/udp_discovery_run.h"
#include "tools/shared/user_attrib.h"
#include "wire/sap_datagram.h"

namespace {

constexpr int32_t kServerListCapacity = 2048;
constexpr int32_t kDataSourcesCapacity = 4096;
// A server stops its list at the last whole item that fits the room it was
// given, without saying so. A reply that leaves less room than this, more
// than any name and description need, may have lost items; it is asked for
// again once, with room for the longest list either side accepts.
constexpr int32_t kItemRoom = 1024;
constexpr int32_t kLargestList = static_cast<int32_t>(kSapMaxSourceList);
// Labels before the values of a server list's items: "Server=" and "Port=".
constexpr size_t kAddressLabel = 7;
constexpr size_t kPortLabel = 5;

std::vector<std::string_view> SplitItems(std::string_view text) {
  std::vector<std::string_view> items;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    items.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

// The value of an item after its label; false for an item too short to
// have one.
bool ItemValue(std::string_view item, size_t label, std::string* value) {
  if (item.size() <= label) return false;
  value->assign(item.substr(label));
  return true;
}

bool ParseAddress(const std::string& text, uint32_t* address) {
  in_addr a{};
  if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  *address = a.s_addr;
  return true;
}

// The server's data sources with `room` bytes to fill; false when it did
// not answer or answered beyond the room.
bool AskDataSources(const ToolEnv& env, const std::string& server, const std::string& attrib,
                    int32_t room, std::vector<uint8_t>* list) {
  list->assign(static_cast<size_t>(room), 0);
  int32_t length = room;
  if (!env.driver.get_data_sources ||
      env.driver.get_data_sources(server.c_str(), attrib.c_str(), list->data(), &length) != 0 ||
      length < 0 || length > room) {
    return false;
  }
  list->resize(static_cast<size_t>(length));
  return true;
}

bool MayBeCut(const std::vector<uint8_t>& list, int32_t room) {
  return room - static_cast<int32_t>(list.size()) < kItemRoom;
}

bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < 1 || v > 65535) return false;
  *port = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

TraceHandle* OpenCspTrace(const ToolEnv& env) {
  int32_t level = 0;
  return TraceOpen(kOdbcInstKey, env.driver_name.c_str(), "CSPTrace", &level);
}

int32_t CspGetServerSources(const ToolEnv& env, TraceHandle* trace, const std::string& attrib,
                            const char* server_list, ServerEntries* servers) {
  if (server_list == nullptr || server_list[0] == '\0') return kCspNothingFound;
  std::vector<std::string_view> items = SplitItems(server_list);
  bool answered = false;
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    if (items[i].empty() || items[i + 1].empty()) break;  // no port item: the list ends
    std::string address_text;
    std::string port_text;
    uint32_t address = 0;
    uint16_t port = 0;
    // A pair that does not read whole is skipped, never read past.
    if (!ItemValue(items[i], kAddressLabel, &address_text) ||
        !ItemValue(items[i + 1], kPortLabel, &port_text) || !ParseAddress(address_text, &address) ||
        !ParsePort(port_text, &port)) {
      TracePrintf(trace, "CSP: Skipping malformed server item %.*s.\n",
                  static_cast<int>(items[i].size()), items[i].data());
      continue;
    }
    std::string server = address_text + "." + std::to_string(port);
    TracePrintf(trace, "CSP: Getting data sources from %s.\n", server.c_str());
    std::vector<uint8_t> list;
    if (!AskDataSources(env, server, attrib, kDataSourcesCapacity, &list)) continue;
    bool partial = MayBeCut(list, kDataSourcesCapacity);
    if (partial) {
      TracePrintf(trace, "CSP: The list of %s may be cut at %d bytes; asking again.\n",
                  server.c_str(), static_cast<int>(list.size()));
      std::vector<uint8_t> longer;
      if (AskDataSources(env, server, attrib, kLargestList, &longer)) {
        list.swap(longer);
        partial = MayBeCut(list, kLargestList);
      }
      if (partial) {
        TracePrintf(trace,
                    "CSP: The list of %s may still lack data sources: none of them counts as "
                    "withdrawn.\n",
                    server.c_str());
      }
    }
    ServerEntry entry;
    entry.address = address;
    entry.port = htons(port);
    AllocateOfferedList(&entry, static_cast<uint32_t>(list.size()));
    std::copy(list.begin(), list.end(), entry.offered.begin());
    entry.received = 0;
    entry.partial = partial;
    servers->push_back(std::move(entry));
    answered = true;
    TracePrintf(trace, "CSP: first data sources from server: %s.\n",
                servers->back().offered.data());
  }
  // Asking and hearing nothing is not a result: an empty list taken as
  // success would be saved as the servers of this run.
  return answered ? kCspDone : kCspNothingFound;
}

int32_t CspEnumByTcp(const ToolEnv& env, ServerEntries* servers, const ServiceSettings& settings) {
  TraceHandle* trace = OpenCspTrace(env);
  TracePrintf(trace, "CSP: Enumerating Data Sources using TCP.\n");
  std::string attrib = BuildUserAttribString();
  TracePrintf(trace, "CSP: User attribute string %s.\n", attrib.c_str());

  std::string candidates;
  if (settings.use_server_list != 0) {
    candidates = settings.server_list;
  } else {
    candidates =
        std::string(settings.svc_server) + ":" + std::to_string(settings.svc_srv_port) + ";";
  }
  int32_t result = kCspNothingFound;
  if (candidates.empty()) {
    TracePrintf(trace, "CSP: Server list is empty.\n");
    TraceClose(trace);
    if (settings.svc_enable_broadcasting != 0) return CspEnumByUdp(env, servers, settings);
    return kCspDone;
  }
  std::vector<char> list(kServerListCapacity, '\0');
  for (std::string_view candidate : SplitItems(candidates)) {
    if (candidate.empty()) break;
    std::string server(candidate);
    TracePrintf(trace, "CSP: Trying server %s.\n", server.c_str());
    std::fill(list.begin(), list.end(), '\0');
    if (!env.driver.get_server_list ||
        env.driver.get_server_list(server.c_str(), attrib.c_str(), list.data(),
                                   kServerListCapacity) != 0) {
      TracePrintf(trace, "CSP: Failed getting a list of servers from server %s.\n", server.c_str());
      continue;
    }
    list.back() = '\0';
    TracePrintf(trace, "CSP: Server List: %s.\n", list.data());
    result = CspGetServerSources(env, trace, attrib, list.data(), servers) == kCspDone
                 ? kCspDone
                 : kCspNothingFound;
    break;
  }
  TraceClose(trace);
  return result;
}

int32_t DiscoverDataSources(const ToolEnv& env, ServerEntries* servers,
                            const ServiceSettings& settings) {
  try {
    return CspEnumByTcp(env, servers, settings);
  } catch (const std::bad_alloc&) {
    servers->clear();
    return kCspNoMemory;
  }
}

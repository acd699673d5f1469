#include "tools/shared/server_name_value.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstdlib>

#include "common/server_address_text.h"
#include "common/str_util.h"
#include "tools/shared/resolver.h"

namespace {

// The port in host order, 0 when the text names none.
uint16_t ParsePort(const std::string& text) {
  if (text.empty()) return 0;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() && *end == '\0') {
    return errno == 0 && v > 0 && v <= 65535 ? static_cast<uint16_t>(v) : 0;
  }
  uint16_t port = 0;
  return ToolServicePort(text, &port) ? port : 0;
}

// Appends `item` to `out` after `separator` when the result stays within
// the limit.
void AppendItem(std::string* out, const std::string& item, char separator) {
  size_t needed = item.size() + (out->empty() ? 0 : 1);
  if (item.empty() || out->size() + needed > kServerTextMax) return;
  if (!out->empty()) out->push_back(separator);
  *out += item;
}

}  // namespace

DsnServers ParseServerNameValue(const std::string& value) {
  DsnServers servers;
  std::string text = value.substr(0, kServerTextMax);
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string item = Trim(text.substr(start, comma - start), " \t");
    start = comma + 1;
    ServerAddressText split;
    if (!SplitServerAddress(item, &split)) continue;
    const std::string& host = split.host;
    uint16_t port = ParsePort(split.port);
    if (host.empty() || port == 0) continue;
    DsnServer server;
    server.port = htons(port);
    std::vector<uint32_t> addresses;
    if (ToolHostAddresses(host, &addresses) && !addresses.empty()) {
      server.resolved = true;
      server.address = addresses[0];
    } else {
      server.text = item;
    }
    servers.push_back(std::move(server));
  }
  return servers;
}

std::string FormatServerNameValue(const DsnServers& servers) {
  std::string out;
  for (const DsnServer& s : servers) {
    std::string item =
        s.resolved ? DottedAddress(s.address) + "." + std::to_string(ntohs(s.port)) : s.text;
    AppendItem(&out, item, ',');
  }
  return out;
}

std::string FormatServerListValue(const ServerEntries& servers) {
  std::string out;
  for (const ServerEntry& e : servers) {
    std::string host;
    if (!ToolAddressName(e.address, &host)) host = DottedAddress(e.address);
    AppendItem(&out, host + ":" + std::to_string(ntohs(e.port)), ';');
  }
  return out;
}

#include "setup/server_list.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/server_address_text.h"
#include "common/str_util.h"
#include "setup/host_lookup.h"
#include "setup/number_checks.h"

namespace {

using Entries = std::vector<std::string>;

Entries SplitList(const char* list) {
  Entries entries;
  if (*list == '\0') return entries;
  const char* start = list;
  for (;;) {
    const char* comma = std::strchr(start, ',');
    if (comma == nullptr) {
      entries.emplace_back(start);
      return entries;
    }
    entries.emplace_back(start, comma - start);
    start = comma + 1;
  }
}

std::string JoinList(const Entries& entries) {
  std::string list;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) list += ',';
    list += entries[i];
  }
  return list;
}

bool StoreList(char* list, const std::string& text) {
  if (text.size() > kServerListMax) return false;
  std::memcpy(list, text.c_str(), text.size() + 1);
  return true;
}

bool CopyOut(std::string_view text, char* buffer, size_t size) {
  if (text.size() >= size) return false;
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  return true;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StrCaseNCompare(a.data(), b.data(), a.size()) == 0;
}

// An entry read as the driver reads it. It is clean when host and port are
// one token each and the host holds no ':' (which the driver would split
// at); host and port are then those tokens, else the texts as split.
struct EntryParts {
  std::string host;
  std::string port;
  bool clean = false;
};

EntryParts ReadEntry(std::string_view entry) {
  EntryParts parts;
  ServerAddressText split;
  if (!SplitServerAddress(entry, &split)) {
    parts.host.assign(entry);
    return parts;
  }
  std::string_view host;
  std::string_view port;
  parts.clean = SoleToken(split.host, &host) && SoleToken(split.port, &port) &&
                host.find(':') == std::string_view::npos;
  parts.host = parts.clean ? std::string(host) : split.host;
  parts.port = parts.clean ? std::string(port) : split.port;
  return parts;
}

std::string HostPart(std::string_view entry) {
  return ReadEntry(entry).host;
}

// A service name and its number are the same port.
bool SamePort(const std::string& a, const std::string& b) {
  uint32_t port_a = 0;
  uint32_t port_b = 0;
  if (PortNumber(a.c_str(), &port_a) && PortNumber(b.c_str(), &port_b)) return port_a == port_b;
  return EqualNoCase(a, b);
}

}  // namespace

const char* NextListEntry(const char* position) {
  if (position == nullptr) return nullptr;
  const char* comma = std::strchr(position, ',');
  return comma == nullptr ? nullptr : comma + 1;
}

int CopyListEntry(const char* position, char* buffer, size_t size) {
  if (position == nullptr || *position == '\0') return 0;
  const char* comma = std::strchr(position, ',');
  std::string_view entry(position, comma == nullptr ? std::strlen(position) : comma - position);
  if (!CopyOut(entry, buffer, size)) return 0;
  return entry.empty() ? 0 : 1;
}

void SplitServerEntry(const char* entry, char* host, size_t host_size, char* port,
                      size_t port_size) {
  std::string_view text(entry);
  ServerAddressText split;
  if (!SplitServerAddress(text, &split)) {
    CopyOut(text.substr(0, host_size > 0 ? host_size - 1 : 0), host, host_size);
    return;
  }
  std::string_view host_part(split.host);
  std::string_view port_part(split.port);
  CopyOut(host_part.substr(0, host_size > 0 ? host_size - 1 : 0), host, host_size);
  CopyOut(port_part.substr(0, port_size > 0 ? port_size - 1 : 0), port, port_size);
}

int BuildServerEntry(const char* host_text, const char* port_text, char* entry, size_t size) {
  std::string_view host = FirstToken(host_text);
  std::string_view port = FirstToken(port_text);
  if (host.empty() || port.empty()) return 0;
  std::string built = std::string(host) + "." + std::string(port);
  return CopyOut(built, entry, size) ? 1 : 0;
}

void GetPrimaryServerEntry(const char* list, char* buffer, size_t size) {
  if (size == 0) return;
  const char* comma = std::strchr(list, ',');
  std::string_view primary(list, comma == nullptr ? std::strlen(list) : comma - list);
  CopyOut(primary.substr(0, size - 1), buffer, size);
}

int FindNthListEntry(const char* list, const char** position, uint32_t n) {
  if (*list == '\0') return 0;
  const char* at = list;
  for (uint32_t i = 0; i < n; ++i) {
    at = NextListEntry(at);
    if (at == nullptr) return 0;
  }
  *position = at;
  return 1;
}

int GetNthListEntry(const char* list, char* buffer, size_t size, uint32_t n) {
  const char* position = nullptr;
  if (!FindNthListEntry(list, &position, n)) return 0;
  return CopyListEntry(position, buffer, size);
}

int DeleteNthListEntry(char* list, uint32_t n) {
  Entries entries = SplitList(list);
  if (n >= entries.size()) return 0;
  entries.erase(entries.begin() + n);
  return StoreList(list, JoinList(entries)) ? 1 : 0;
}

int AppendListEntry(char* list, const char* entry) {
  return StoreList(list, std::string(list) + "," + entry) ? 1 : 0;
}

int ReplaceNthListEntry(char* list, const char* entry, uint32_t n) {
  Entries entries = SplitList(list);
  if (n >= entries.size()) return 0;
  entries[n] = entry;
  return StoreList(list, JoinList(entries)) ? 1 : 0;
}

int FindListEntry(const char* list, const char* text, uint32_t* index) {
  if (*text == '\0') return 0;
  Entries entries = SplitList(list);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (EqualNoCase(entries[i], text)) {
      *index = static_cast<uint32_t>(i);
      return 1;
    }
  }
  return 0;
}

int FindListEntryByHost(const char* list, const char* host, uint32_t* index) {
  if (*host == '\0') return 0;
  Entries entries = SplitList(list);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (EqualNoCase(HostPart(entries[i]), host)) {
      *index = static_cast<uint32_t>(i);
      return 1;
    }
  }
  return 0;
}

int FindServer(const char* list, const char* resolved, const char* item, const char* port,
               uint32_t from, uint32_t* index) {
  Entries entries = SplitList(list);
  Entries items = SplitList(resolved);
  for (size_t i = from; i < entries.size() && i < items.size(); ++i) {
    if (EqualNoCase(items[i], item) && SamePort(ReadEntry(entries[i]).port, port)) {
      *index = static_cast<uint32_t>(i);
      return 1;
    }
  }
  return 0;
}

int IsNthEntryHost(const SetupContext* context, const char* host, uint32_t n) {
  Entries entries = SplitList(context->attributes[kAttrServerName].value);
  return n < entries.size() && EqualNoCase(HostPart(entries[n]), host) ? 1 : 0;
}

int ReplacePrimaryServer(SetupContext* context, const char* host, const char* port,
                         const char* item) {
  char* list = context->attributes[kAttrServerName].value;
  char* resolved = context->attributes[kAttrResolved].value;
  std::string first_entry;
  std::string first_item;
  if (*host != '\0' && item != nullptr) {
    first_entry = std::string(host) + "." + port;
    first_item = item;
  }
  const char* list_rest = std::strchr(list, ',');
  const char* resolved_rest = std::strchr(resolved, ',');
  if (list_rest != nullptr && resolved_rest != nullptr) {
    first_entry += list_rest;
    first_item += resolved_rest;
  }
  if (first_entry.size() > kServerListMax || first_item.size() > kServerListMax) return 0;
  StoreList(list, first_entry);
  StoreList(resolved, first_item);
  return 1;
}

int ValidateServerList(const char* list) {
  Entries entries = SplitList(list);
  if (entries.empty()) return 0;
  for (const std::string& entry : entries) {
    EntryParts parts = ReadEntry(entry);
    uint32_t port = 0;
    if (!parts.clean || !PortNumber(parts.port.c_str(), &port)) return 0;
  }
  return 1;
}

int NormalizeServerList(char* list, char* resolved) {
  Entries entries = SplitList(list);
  if (entries.empty()) return 1;
  Entries kept;
  Entries ports;
  Entries items;
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;
    EntryParts parts = ReadEntry(entry);
    char item[kServerListMax + 1];
    ResolveHostToText(parts.host.c_str(), item, sizeof item);
    bool seen = false;
    for (size_t i = 0; i < items.size() && !seen; ++i) {
      seen = EqualNoCase(items[i], item) && SamePort(ports[i], parts.port);
    }
    if (seen) continue;
    items.emplace_back(item);
    ports.push_back(parts.port);
    // Written in the list's own form, which the driver and the dialogs
    // read alike; an entry that cannot be read so stays as it is.
    kept.push_back(parts.clean ? parts.host + "." + parts.port : entry);
  }
  std::string new_list = JoinList(kept);
  std::string new_resolved = JoinList(items);
  if (new_list.size() > kServerListMax || new_resolved.size() > kServerListMax) return 0;
  StoreList(list, new_list);
  StoreList(resolved, new_resolved);
  return 1;
}

#include "setup/server_list.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

std::string_view HostPart(std::string_view entry) {
  size_t dot = entry.rfind('.');
  return dot == std::string_view::npos ? entry : entry.substr(0, dot);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StrCaseNCompare(a.data(), b.data(), a.size()) == 0;
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
  size_t dot = text.rfind('.');
  if (dot == std::string_view::npos) {
    CopyOut(text.substr(0, host_size > 0 ? host_size - 1 : 0), host, host_size);
    return;
  }
  std::string_view host_part = text.substr(0, dot);
  std::string_view port_part = text.substr(dot + 1);
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
    size_t dot = entry.rfind('.');
    if (dot == std::string::npos) return 0;
    // A host of blanks names no machine the driver could reach.
    if (FirstToken(entry.substr(0, dot).c_str()).empty()) return 0;
    char token[kServerListMax + 1];
    if (!ValidatePort(entry.c_str() + dot + 1, token, sizeof token)) return 0;
  }
  return 1;
}

int NormalizeServerList(char* list, char* resolved) {
  Entries entries = SplitList(list);
  if (entries.empty()) return 1;
  Entries kept;
  Entries items;
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;
    std::string host(HostPart(entry));
    char item[kServerListMax + 1];
    ResolveHostToText(host.c_str(), item, sizeof item);
    bool seen = false;
    for (const std::string& earlier : items) seen = seen || EqualNoCase(earlier, item);
    if (seen) continue;
    items.emplace_back(item);
    kept.push_back(entry);
  }
  std::string new_list = JoinList(kept);
  std::string new_resolved = JoinList(items);
  if (new_list.size() > kServerListMax || new_resolved.size() > kServerListMax) return 0;
  StoreList(list, new_list);
  StoreList(resolved, new_resolved);
  return 1;
}

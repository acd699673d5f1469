#include "tools/shared/server_entry.h"

#include <cstring>

void AllocateOfferedList(ServerEntry* entry, uint32_t length) {
  entry->offered.assign(static_cast<size_t>(length) + 2, '\0');
  entry->length = length;
}

std::vector<std::string_view> OfferedItems(const ServerEntry& entry) {
  std::vector<std::string_view> items;
  const char* p = entry.offered.data();
  const char* end = p + entry.offered.size();
  // The block ends in two NULs, so every item found here is terminated
  // inside it.
  while (p < end && *p != '\0') {
    size_t n = strnlen(p, static_cast<size_t>(end - p));
    items.emplace_back(p, n);
    p += n + 1;
  }
  return items;
}

std::string_view OfferedName(std::string_view item) {
  return item.substr(0, item.find(';'));
}

std::string_view OfferedDescription(std::string_view item) {
  size_t semicolon = item.find(';');
  return semicolon == std::string_view::npos ? std::string_view() : item.substr(semicolon + 1);
}

ServerEntry* FindServerByAddress(uint32_t address, ServerEntries& servers) {
  for (ServerEntry& e : servers) {
    if (e.address == address) return &e;
  }
  return nullptr;
}

const ServerEntry* FindServerByAddress(uint32_t address, const ServerEntries& servers) {
  for (const ServerEntry& e : servers) {
    if (e.address == address) return &e;
  }
  return nullptr;
}

const ServerEntry* FindServer(uint32_t address, uint16_t port, const ServerEntries& servers) {
  for (const ServerEntry& e : servers) {
    if (e.address == address && e.port == port) return &e;
  }
  return nullptr;
}

uint32_t CountOfferedDataSources(const ServerEntries& servers) {
  uint32_t n = 0;
  for (const ServerEntry& e : servers) n += static_cast<uint32_t>(OfferedItems(e).size());
  return n;
}

bool CspAllSourcesReceived(const ServerEntries& servers) {
  for (const ServerEntry& e : servers) {
    if (!e.HasList() || e.received < e.length) return false;
  }
  return true;
}

// The servers that discovery found, each with the data sources it offers
// to this user (its OfferedSourceList: NUL-terminated "name;description"
// items ended by an empty item).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct ServerEntry {
  uint32_t address = 0;  // IPv4, network order
  uint16_t port = 0;     // the server's TCP port, network order
  // The list block: length + 2 zero-filled bytes once data has begun to
  // arrive, so that it always ends in two NULs; empty before.
  std::vector<char> offered;
  uint32_t length = 0;    // bytes of the list (the total the server announced)
  uint32_t received = 0;  // bytes arrived so far over UDP
  // The list may lack items: a reply over TCP that the server may have cut
  // to the room it was given. Such a list shows what the server offers,
  // never what it no longer offers.
  bool partial = false;

  bool HasList() const { return !offered.empty(); }
};

using ServerEntries = std::vector<ServerEntry>;

// Gives the entry a zero-filled block for `length` bytes of list.
void AllocateOfferedList(ServerEntry* entry, uint32_t length);
// The items of the entry's list up to the empty one (none without a list).
std::vector<std::string_view> OfferedItems(const ServerEntry& entry);
// The name of an item (before its first ";") and its description (after).
std::string_view OfferedName(std::string_view item);
std::string_view OfferedDescription(std::string_view item);

// The first entry with the same address, or null.
ServerEntry* FindServerByAddress(uint32_t address, ServerEntries& servers);
const ServerEntry* FindServerByAddress(uint32_t address, const ServerEntries& servers);
// The entry of that address and port (both network order), or null: two
// servers on one host are two servers.
const ServerEntry* FindServer(uint32_t address, uint16_t port, const ServerEntries& servers);
// Items in all offered lists.
uint32_t CountOfferedDataSources(const ServerEntries& servers);
// True when every entry has its whole list (also when there are none).
bool CspAllSourcesReceived(const ServerEntries& servers);

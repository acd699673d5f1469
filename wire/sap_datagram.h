// The datagrams of the discovery service on UDP, shared by the tools that
// ask and the server that answers. Every datagram is kSapDatagramSize
// bytes: a 16-bit type and a 512-byte body; multi-byte fields are
// big-endian and bytes beyond a type's fields are zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The UDP port of the discovery service when a setting names none.
constexpr uint16_t kSapDefaultPort = 1599;

constexpr size_t kSapDatagramSize = 514;
using SapDatagram = std::array<uint8_t, kSapDatagramSize>;

enum : uint16_t {
  kSapRequestServers = 100,  // client to broadcast: nothing more
  kSapRespondServers = 101,  // u16 count, then count server records
  kSapRequestSources = 102,  // u32 offset, then the client's attribute string and its NUL
  kSapRespondSources = 103,  // u32 total, then a piece of the list from the requested offset
};

// One server of a SAP_RESPOND_SERVERS: u32 IPv4 address, u16 TCP port.
constexpr size_t kSapServerRecordSize = 6;
constexpr size_t kSapServersOffset = 4;
constexpr size_t kSapMaxServerRecords =
    (kSapDatagramSize - kSapServersOffset) / kSapServerRecordSize;  // 85
constexpr size_t kSapSourcesOffset = 6;
constexpr size_t kSapMaxSourcesPiece = kSapDatagramSize - kSapSourcesOffset;  // 508
// Longest attribute string a SAP_REQUEST_SOURCES carries with its NUL.
constexpr size_t kSapMaxAttribText = kSapDatagramSize - kSapSourcesOffset - 1;
// Longest data-source list either side accepts: the lists are small, and a
// bound keeps a peer from making the other side allocate at will.
constexpr uint32_t kSapMaxSourceList = 65536;

struct SapServerRecord {
  uint32_t address;  // network byte order
  uint16_t port;     // network byte order
};

// The type of a datagram of at least 2 bytes; 0 for a shorter one.
uint16_t SapType(const uint8_t* data, size_t size);

SapDatagram SapMakeRequestServers();
// The records beyond what fits are left out; returns how many went in.
size_t SapMakeRespondServers(const SapServerRecord* records, size_t count, SapDatagram* out);
// An attribute string too long for the datagram is cut to fit.
SapDatagram SapMakeRequestSources(uint32_t offset, std::string_view attrib);
// The piece of `list` from `offset` (nothing when it lies beyond the end).
SapDatagram SapMakeRespondSources(std::string_view list, uint32_t offset);

// Copies one server record from `source`, of which `available` bytes may
// be read: kSapServerRecordSize, or 0 (nothing copied) when fewer remain.
size_t CopySapServerRecord(SapServerRecord* target, const uint8_t* source, size_t available);

// Reading what arrived, within its real size. Each gives false for a
// datagram too short for its fixed fields or of another type.
// The records the datagram holds: its count, but never more than its bytes
// carry. `records` has room for kSapMaxServerRecords.
bool SapReadRespondServers(const uint8_t* data, size_t size, SapServerRecord* records,
                           size_t* count);
// The offset and the attribute text (up to its NUL or the datagram's end).
bool SapReadRequestSources(const uint8_t* data, size_t size, uint32_t* offset,
                           std::string_view* attrib);
// The total and the bytes of the piece that arrived.
bool SapReadRespondSources(const uint8_t* data, size_t size, uint32_t* total, const uint8_t** piece,
                           size_t* piece_size);

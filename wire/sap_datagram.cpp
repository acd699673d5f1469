#include "wire/sap_datagram.h"

#include <algorithm>
#include <cstring>

#include "wire/byte_order.h"

namespace {

// Addresses and ports are kept in network order, which is the wire's order:
// their bytes go across as they lie in memory.
void PutNetworkBytes(uint8_t* at, const void* value, size_t n) {
  std::memcpy(at, value, n);
}

SapDatagram Empty(uint16_t type) {
  SapDatagram d{};
  StoreBe16(d.data(), type);
  return d;
}

}  // namespace

uint16_t SapType(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 2 ? LoadBe16(data) : 0;
}

SapDatagram SapMakeRequestServers() {
  return Empty(kSapRequestServers);
}

size_t SapMakeRespondServers(const SapServerRecord* records, size_t count, SapDatagram* out) {
  *out = Empty(kSapRespondServers);
  size_t n = std::min(count, kSapMaxServerRecords);
  StoreBe16(out->data() + 2, static_cast<uint16_t>(n));
  for (size_t i = 0; i < n; ++i) {
    uint8_t* at = out->data() + kSapServersOffset + i * kSapServerRecordSize;
    PutNetworkBytes(at, &records[i].address, 4);
    PutNetworkBytes(at + 4, &records[i].port, 2);
  }
  return n;
}

SapDatagram SapMakeRequestSources(uint32_t offset, std::string_view attrib) {
  SapDatagram d = Empty(kSapRequestSources);
  StoreBe32(d.data() + 2, offset);
  size_t n = std::min(attrib.size(), kSapMaxAttribText);
  std::memcpy(d.data() + kSapSourcesOffset, attrib.data(), n);
  return d;
}

SapDatagram SapMakeRespondSources(std::string_view list, uint32_t offset) {
  SapDatagram d = Empty(kSapRespondSources);
  StoreBe32(d.data() + 2, static_cast<uint32_t>(list.size()));
  if (offset < list.size()) {
    size_t n = std::min(list.size() - offset, kSapMaxSourcesPiece);
    std::memcpy(d.data() + kSapSourcesOffset, list.data() + offset, n);
  }
  return d;
}

size_t CopySapServerRecord(SapServerRecord* target, const uint8_t* source, size_t available) {
  if (available < kSapServerRecordSize) return 0;
  std::memcpy(&target->address, source, 4);
  std::memcpy(&target->port, source + 4, 2);
  return kSapServerRecordSize;
}

bool SapReadRespondServers(const uint8_t* data, size_t size, SapServerRecord* records,
                           size_t* count) {
  if (size < kSapServersOffset || SapType(data, size) != kSapRespondServers) return false;
  size = std::min(size, kSapDatagramSize);
  size_t wanted = std::min<size_t>(LoadBe16(data + 2), kSapMaxServerRecords);
  size_t n = 0;
  for (size_t at = kSapServersOffset; n < wanted; ++n) {
    size_t copied = CopySapServerRecord(&records[n], data + at, size - at);
    if (copied == 0) break;
    at += copied;
  }
  *count = n;
  return true;
}

bool SapReadRequestSources(const uint8_t* data, size_t size, uint32_t* offset,
                           std::string_view* attrib) {
  if (size < kSapSourcesOffset || SapType(data, size) != kSapRequestSources) return false;
  size = std::min(size, kSapDatagramSize);
  *offset = LoadBe32(data + 2);
  const char* text = reinterpret_cast<const char*>(data + kSapSourcesOffset);
  *attrib = std::string_view(text, strnlen(text, size - kSapSourcesOffset));
  return true;
}

bool SapReadRespondSources(const uint8_t* data, size_t size, uint32_t* total, const uint8_t** piece,
                           size_t* piece_size) {
  if (size < kSapSourcesOffset || SapType(data, size) != kSapRespondSources) return false;
  size = std::min(size, kSapDatagramSize);
  *total = LoadBe32(data + 2);
  *piece = data + kSapSourcesOffset;
  *piece_size = size - kSapSourcesOffset;
  return true;
}

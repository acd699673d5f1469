#include "server/offered_sources.h"

namespace velsrv {

std::string OfferedSourceList(const std::vector<DsnEntry>& dsns, size_t limit) {
  std::string bytes;
  if (limit == 0) return bytes;
  for (const DsnEntry& e : dsns) {
    std::string item = e.name + ";" + e.description;
    item.push_back('\0');
    if (bytes.size() + item.size() + 1 > limit) break;
    bytes += item;
  }
  bytes.push_back('\0');
  return bytes;
}

}  // namespace velsrv

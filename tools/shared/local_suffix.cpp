#include "tools/shared/local_suffix.h"

#include <vector>

#include "tools/shared/resolver.h"

namespace {
constexpr size_t kSuffixAfter = 28;
}  // namespace

std::string AppendLocalSuffix(const std::string& name) {
  return name.substr(0, kSuffixAfter) + "_C32";
}

std::string AddLocalSuffix(const std::string& name, uint32_t address) {
  std::string host;
  std::vector<uint32_t> addresses;
  if (!ToolHostName(&host) || !ToolHostAddresses(host, &addresses)) return name;
  for (uint32_t a : addresses) {
    if (a == address) return AppendLocalSuffix(name);
  }
  return name;
}

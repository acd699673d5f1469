#include "server/function_flags.h"

namespace velsrv {

namespace {

// SQL_API numbers of the functions the driver exports.
constexpr uint16_t kExported[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                  17, 18, 19, 20, 21, 23, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,
                                  50, 51, 52, 53, 54, 55, 56, 58, 60, 61, 63, 65, 66, 67, 70, 72};
// Those that reach a catalog function of the backend.
constexpr uint16_t kCatalog[] = {40, 52, 53, 54, 56, 60, 65, 66, 67, 70};

}  // namespace

std::array<uint16_t, 100> AnnouncedFunctions(const std::array<uint16_t, 100>& backend) {
  std::array<uint16_t, 100> flags{};
  for (uint16_t f : kExported) flags[f] = 1;
  for (uint16_t f : kCatalog) flags[f] = backend[f] != 0 ? 1 : 0;
  return flags;
}

}  // namespace velsrv

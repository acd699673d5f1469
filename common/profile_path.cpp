#include "common/profile_path.h"

#include <cstring>

namespace {

char g_profile_path[kProfilePathSize];

}  // namespace

int ProfilePathSet(const char* path) {
  if (path == nullptr) return 0;
  size_t length = strnlen(path, kProfilePathSize);
  if (length >= kProfilePathSize) return 0;
  std::memcpy(g_profile_path, path, length + 1);
  return 1;
}

const char* ProfilePathGet() {
  return g_profile_path;
}

#include "common/profile.h"

#include <cstring>

#include "common/registry.h"
#include "common/registry_path.h"

namespace {

// Paths of the system stay far below this; longer ones are refused.
constexpr size_t kMaxPath = 2047;

// The root that the path's first component names, and the path below it. A
// first component that names no root is the first key below the current
// user's root. False when the path is missing, too long or has no
// component at all.
bool SplitRoot(const char* path, PlatRegKey** root, const char** rest) {
  if (path == nullptr || strnlen(path, kMaxPath + 1) > kMaxPath) return false;
  const char* cursor = path;
  const char* first;
  size_t length;
  if (!RegPathNext(&cursor, &first, &length)) return false;
  *root = RegRootFromNameN(first, length);
  *rest = cursor;
  if (*root == nullptr) {
    *root = PlatRegRootKey(PlatRegRoot::kCurrentUser);
    *rest = path;
  }
  return true;
}

}  // namespace

uint32_t ProfileReadString(const char* path, const char* section, const char* key,
                           const char* default_value, char* buffer, uint32_t size) {
  PlatRegKey* root;
  const char* rest;
  if (!SplitRoot(path, &root, &rest)) return 0;
  uint32_t result = RegReadValue(root, rest, section, key, buffer, size);
  if (result == 0 && default_value != nullptr && buffer != nullptr && size > 0) {
    // Cut to the buffer, always terminated.
    size_t length = strnlen(default_value, size - 1);
    std::memcpy(buffer, default_value, length);
    buffer[length] = '\0';
  }
  return result;
}

int ProfileWriteString(const char* path, const char* section, const char* key, const char* value) {
  PlatRegKey* root;
  const char* rest;
  if (!SplitRoot(path, &root, &rest)) return 0;
  // The current configuration cannot be written; such a path becomes a key
  // of that name below the current user.
  if (root == PlatRegRootKey(PlatRegRoot::kCurrentConfig)) {
    root = PlatRegRootKey(PlatRegRoot::kCurrentUser);
    rest = path;
  }
  return RegWriteValue(root, rest, section, key, value);
}

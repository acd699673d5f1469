#include "common/registry.h"

#include <cstring>

#include "common/memory.h"
#include "common/registry_path.h"
#include "common/str_util.h"

namespace {

struct RootName {
  const char* name;
  PlatRegRoot root;
};

const RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", PlatRegRoot::kClassesRoot},
    {"HKEY_CURRENT_CONFIG", PlatRegRoot::kCurrentConfig},
    {"HKEY_CURRENT_USER", PlatRegRoot::kCurrentUser},
    {"HKEY_LOCAL_MACHINE", PlatRegRoot::kLocalMachine},
    {"HKEY_USERS", PlatRegRoot::kUsers},
};

PlatRegKey* CurrentUser() {
  return PlatRegRootKey(PlatRegRoot::kCurrentUser);
}

// Opens each component of `path` in turn below `root`. The caller closes
// the result.
long OpenPath(PlatRegKey* root, const char* path, PlatRegKey** result) {
  PlatRegKey* current = root;
  const char* cursor = path;
  const char* start;
  size_t length;
  while (RegPathNext(&cursor, &start, &length)) {
    char component[kPlatRegMaxKeyName + 1];
    long rc = kPlatRegNotFound;  // a longer name cannot be stored, so it is missing
    PlatRegKey* next = nullptr;
    if (length <= kPlatRegMaxKeyName) {
      std::memcpy(component, start, length);
      component[length] = '\0';
      rc = PlatRegOpenKey(current, component, &next);
    }
    PlatRegCloseKey(current);
    if (rc != kPlatRegOk) return rc;
    current = next;
  }
  // An empty path still hands out a key of its own to close.
  if (current == root) return PlatRegOpenKey(root, nullptr, result);
  *result = current;
  return kPlatRegOk;
}

// "path\section", for creating both in one step.
char* JoinPath(const char* path, const char* section) {
  size_t path_length = path != nullptr ? std::strlen(path) : 0;
  size_t section_length = std::strlen(section);
  auto* joined = static_cast<char*>(MemAlloc(path_length + section_length + 2));
  if (joined == nullptr) return nullptr;
  if (path_length != 0) std::memcpy(joined, path, path_length);
  joined[path_length] = '\\';
  std::memcpy(joined + path_length + 1, section, section_length + 1);
  return joined;
}

}  // namespace

PlatRegKey* RegRootFromNameN(const char* name, size_t length) {
  if (name == nullptr) return nullptr;
  for (const RootName& entry : kRootNames) {
    if (std::strlen(entry.name) == length && StrCaseNCompare(entry.name, name, length) == 0) {
      return PlatRegRootKey(entry.root);
    }
  }
  return nullptr;
}

PlatRegKey* RegRootFromName(const char* name) {
  return name != nullptr ? RegRootFromNameN(name, std::strlen(name)) : nullptr;
}

uint32_t RegReadValue(PlatRegKey* root, const char* path, const char* section, const char* key,
                      char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  if (root == nullptr) root = CurrentUser();
  PlatRegKey* path_key = nullptr;
  if (OpenPath(root, path, &path_key) != kPlatRegOk) return 0;
  PlatRegKey* section_key = nullptr;
  long rc = PlatRegOpenKey(path_key, section, &section_key);
  PlatRegCloseKey(path_key);
  if (rc != kPlatRegOk) return 0;
  uint32_t result = 0;
  if (key == nullptr) {
    result = RegEnumValues(section_key, buffer, size);
  } else {
    uint32_t length = size;
    if (PlatRegQueryValue(section_key, key, buffer, &length) == kPlatRegOk) result = length;
  }
  PlatRegCloseKey(section_key);
  return result;
}

int RegWriteValue(PlatRegKey* root, const char* path, const char* section, const char* key,
                  const char* value) {
  if (section == nullptr || section[0] == '\0') return 0;
  if (root == nullptr) root = CurrentUser();
  if (key == nullptr) {
    PlatRegKey* path_key = nullptr;
    long rc = PlatRegOpenKey(root, path, &path_key);
    if (rc == kPlatRegNotFound) return 1;  // nothing there to delete
    if (rc != kPlatRegOk) return 0;
    rc = RegDeleteTree(path_key, section);
    PlatRegCloseKey(path_key);
    return rc == kPlatRegOk ? 1 : 0;
  }
  char* joined = JoinPath(path, section);
  if (joined == nullptr) return 0;
  PlatRegKey* section_key = nullptr;
  long rc = value != nullptr ? PlatRegCreateKey(root, joined, &section_key)
                             : PlatRegOpenKey(root, joined, &section_key);
  MemFree(joined);
  if (rc == kPlatRegNotFound && value == nullptr) return 1;
  if (rc != kPlatRegOk) return 0;
  if (value != nullptr) {
    rc = PlatRegSetValue(section_key, key, value);
  } else {
    rc = PlatRegDeleteValue(section_key, key);
    if (rc == kPlatRegNotFound) rc = kPlatRegOk;
  }
  PlatRegCloseKey(section_key);
  return rc == kPlatRegOk ? 1 : 0;
}

long RegDeleteTree(PlatRegKey* key, const char* subkey) {
  if (key == nullptr || subkey == nullptr) return kPlatRegInvalidArgument;
  PlatRegKey* tree = nullptr;
  long rc = PlatRegOpenKey(key, subkey, &tree);
  if (rc == kPlatRegNotFound) return kPlatRegOk;
  if (rc != kPlatRegOk) return rc;
  char previous[kPlatRegMaxKeyName + 1] = "";
  for (;;) {
    char child[kPlatRegMaxKeyName + 1];
    uint32_t length = sizeof child;
    rc = PlatRegEnumKey(tree, 0, child, &length);
    if (rc == kPlatRegNoMoreItems) break;
    // A child that survives its own deletion would bring the walk back to
    // it for ever.
    if (rc == kPlatRegOk && std::strcmp(child, previous) == 0) rc = kPlatRegAccessDenied;
    if (rc == kPlatRegOk) rc = RegDeleteTree(tree, child);
    if (rc != kPlatRegOk) {
      PlatRegCloseKey(tree);
      return rc;
    }
    std::memcpy(previous, child, length + 1);
  }
  PlatRegCloseKey(tree);
  rc = PlatRegDeleteKey(key, subkey);
  // A key that only held other keys is gone with the last of them.
  return rc == kPlatRegNotFound ? kPlatRegOk : rc;
}

uint32_t RegEnumValues(PlatRegKey* key, char* buffer, uint32_t size) {
  if (key == nullptr || buffer == nullptr || size < 2) return 0;
  std::memset(buffer, 0, size);
  uint32_t used = 0;
  for (uint32_t index = 0;; ++index) {
    // Room for the name and its NUL, keeping the list's closing NUL.
    uint32_t room = size - used - 1;
    uint32_t length = room;
    long rc = PlatRegEnumValue(key, index, buffer + used, &length);
    if (rc == kPlatRegMoreData) {
      std::memset(buffer + used, 0, size - used);
      return size - 2;
    }
    // Failures of the store are not tied to one index; going on would
    // meet them at every index.
    if (rc != kPlatRegOk) break;
    used += length + 1;
  }
  buffer[used] = '\0';
  return used;
}

#include "common/module_path.h"

#include <cstring>

int ModulePathSplit(PlatModule module, ModulePathParts* parts) {
  if (parts == nullptr) return 1;
  char full[kPlatPathMax];
  size_t length = PlatModuleFileName(module, full, sizeof full);
  if (length == 0) return 1;
  const char* slash = std::strrchr(full, '/');
  if (slash == nullptr) return 1;
  size_t directory_length = static_cast<size_t>(slash - full);
  size_t name_length = length - directory_length - 1;
  if (name_length == 0 || name_length >= sizeof parts->name) return 1;
  std::memcpy(parts->directory, full, directory_length);
  parts->directory[directory_length] = '\0';
  std::memcpy(parts->name, slash + 1, name_length + 1);
  return 0;
}

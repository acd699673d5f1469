#include "common/file_path.h"

#include <cstring>

#include "platform/file_system.h"

int PathJoin(const char* directory, const char* name, char* buffer, uint16_t size) {
  if (directory == nullptr || name == nullptr || buffer == nullptr || size == 0) return 1;
  size_t directory_length = std::strlen(directory);
  size_t name_length = std::strlen(name);
  if (directory_length + name_length + 2 > size) return 1;
  std::memcpy(buffer, directory, directory_length);
  buffer[directory_length] = '/';
  std::memcpy(buffer + directory_length + 1, name, name_length + 1);
  return 0;
}

int PathParentDir(const char* path, char* output) {
  if (path == nullptr || output == nullptr) return 0;
  const char* last = std::strrchr(path, '/');
  if (last == nullptr || last == path) return 0;
  size_t length = static_cast<size_t>(last - path);
  std::memmove(output, path, length);
  output[length] = '\0';
  return 1;
}

bool FilExists(const char* path) {
  return PlatFileReadable(path);
}

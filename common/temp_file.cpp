#include "common/temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "common/file_errors.h"
#include "common/file_path.h"
#include "common/str_util.h"
#include "platform/file_system.h"

namespace {

constexpr size_t kStemLength = 9;
constexpr int kTries = 301;

long RandomNumber() {
  std::random_device source;
  uint64_t value = (static_cast<uint64_t>(source()) << 32) ^ source();
  return static_cast<long>(value >> 1);
}

}  // namespace

int32_t FilTempName(const char* prefix, char* name, size_t size) {
  if (prefix == nullptr || name == nullptr) return kFilRefused;
  char stem[kStemLength + 1];
  std::snprintf(stem, sizeof stem, "%s%ld", prefix, RandomNumber());
  int written = std::snprintf(name, size, "%s.tmp", stem);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    if (size > 0) name[0] = '\0';
    return kFilRefused;
  }
  return kFilOk;
}

int32_t FilCreateTemp(const char* directory, const char* prefix, char* path, size_t size) {
  if (prefix == nullptr || path == nullptr || size == 0) return kFilRefused;
  if (directory == nullptr) directory = ".";
  auto room = static_cast<uint16_t>(std::min<size_t>(size, UINT16_MAX));
  char name[kPlatNameMax];
  for (int i = 0; i < kTries; ++i) {
    if (FilTempName(prefix, name, sizeof name) != kFilOk) return kFilRefused;
    if (PathJoin(directory, name, path, room) != 0) {
      path[0] = '\0';
      return kFilRefused;
    }
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd >= 0) {
      close(fd);
      return kFilOk;
    }
  }
  path[0] = '\0';
  return kFilOpenError;
}

int32_t FilTempFileName(const char* prefix, const char* directory, char* path, size_t size,
                        int mode) {
  if (directory != nullptr && directory[0] != '\0')
    return FilCreateTemp(directory, prefix, path, size);
  const char* temp = PlatTempDirectory();
  int32_t result = FilCreateTemp(temp, prefix, path, size);
  if (result != kFilOk || mode != kFilTempDirOnly) return result;
  unlink(path);
  path[0] = '\0';
  StrAppendBounded(path, temp, size);
  if (temp[std::strlen(temp) - 1] != '/') StrAppendBounded(path, "/", size);
  return kFilOk;
}

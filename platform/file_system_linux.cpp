#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/file_system.h"

static_assert(kPlatPathMax == PATH_MAX);
static_assert(kPlatNameMax == NAME_MAX + 1);

bool PlatFileReadable(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  // Non-blocking, so that a named pipe cannot stall the caller.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info;
  bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  close(fd);
  return regular;
}

bool PlatRenameNoReplace(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: a hard link fails just the same on an
  // existing name, and the old name goes once the new one stands.
  if (link(from, to) != 0) return false;
  if (unlink(from) == 0) return true;
  int error = errno;
  unlink(to);
  errno = error;
  return false;
}

long PlatLastError() {
  return errno;
}

const char* PlatTempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && dir[0] != '\0' ? dir : "/tmp";
}

std::FILE* PlatOpenPrivateStream(const char* path, bool append) {
  if (path == nullptr) return nullptr;
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | (append ? O_APPEND : O_TRUNC);
  int fd = open(path, flags, S_IRUSR | S_IWUSR);
  if (fd < 0) return nullptr;
  std::FILE* stream = fdopen(fd, append ? "a" : "w");
  if (stream == nullptr) close(fd);
  return stream;
}

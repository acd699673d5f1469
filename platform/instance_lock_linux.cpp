#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/instance_lock.h"

namespace {

bool Absolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

std::string LockDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); Absolute(runtime)) return runtime;
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); Absolute(xdg)) {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); Absolute(home)) {
    config = std::string(home) + "/.config";
  } else {
    return "";
  }
  ::mkdir(config.c_str(), 0700);
  config += "/velto";
  ::mkdir(config.c_str(), 0700);
  return config;
}

}  // namespace

PlatInstanceClaim PlatClaimInstance(const char* program) {
  std::string dir = LockDirectory();
  if (dir.empty() || program == nullptr || program[0] == '\0') return PlatInstanceClaim::kNoLock;
  std::string path = dir + "/" + program;
  if (const char* scope = std::getenv("VELTO_DIALOG_SCOPE"); scope != nullptr && scope[0] != '\0') {
    std::string part(scope);
    for (char& c : part) {
      if (c == '/') c = '_';
    }
    path += "-" + part;
  }
  path += ".lock";
  // Kept open, and so locked, until the process ends; the lock goes with
  // the process however it ends, so a stale file never blocks a start.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return PlatInstanceClaim::kNoLock;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return PlatInstanceClaim::kFirst;
  int error = errno;
  ::close(fd);
  return error == EWOULDBLOCK ? PlatInstanceClaim::kRunning : PlatInstanceClaim::kNoLock;
}

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/host_identity.h"

int PlatHostName(char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return 0;
  size_t n = std::strlen(name);
  if (n >= size) return 0;
  std::memcpy(buffer, name, n + 1);
  return 1;
}

int PlatUserName(char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> work(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, work.data(), work.size(), &found) != 0 || found == nullptr ||
      found->pw_name == nullptr) {
    return 0;
  }
  size_t n = std::strlen(found->pw_name);
  if (n == 0 || n >= size) return 0;
  std::memcpy(buffer, found->pw_name, n + 1);
  return 1;
}

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/host_identity.h"

namespace {

int CopyName(const std::string& name, char* buffer, size_t size) {
  if (name.empty() || name.size() >= size) return 0;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return 1;
}

}  // namespace

bool PlatformEnv::HostName(std::string* name) {
  char text[256] = {};
  if (gethostname(text, sizeof text - 1) != 0 || text[0] == '\0') return false;
  *name = text;
  return true;
}

bool PlatformEnv::UserName(std::string* name) {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> work(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, work.data(), work.size(), &found) != 0 || found == nullptr ||
      found->pw_name == nullptr) {
    return false;
  }
  *name = found->pw_name;
  return true;
}

int PlatHostName(char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string name;
  return PlatformEnvGet().HostName(&name) ? CopyName(name, buffer, size) : 0;
}

int PlatUserName(char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string name;
  return PlatformEnvGet().UserName(&name) ? CopyName(name, buffer, size) : 0;
}

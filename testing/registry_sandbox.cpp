#include "testing/registry_sandbox.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testing_registry {

namespace {

Sandbox* g_sandbox = nullptr;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  return remove(path);
}

void Touch(const std::string& path) {
  std::ofstream(path, std::ios::app);
}

// Only the process that made the sandbox removes it, not children that
// inherit the environment.
pid_t g_owner = 0;

void RemoveSandbox() {
  if (g_sandbox != nullptr && getpid() == g_owner) {
    nftw(g_sandbox->root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
}

}  // namespace

const Sandbox& UseSandbox() {
  if (g_sandbox != nullptr) return *g_sandbox;
  char pattern[] = "/tmp/velto-registry-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  g_sandbox = new Sandbox{pattern, std::string(pattern) + "/registry",
                          std::string(pattern) + "/odbc", std::string(pattern) + "/odbc/user.ini"};
  // The installer writes the system file only when it exists already, as a
  // system's own /etc/odbc.ini does.
  if (mkdir(g_sandbox->odbc_sys_dir.c_str(), 0700) != 0) std::abort();
  Touch(g_sandbox->odbc_sys_dir + "/odbc.ini");
  Touch(g_sandbox->odbc_sys_dir + "/odbcinst.ini");
  setenv("VELTO_REGISTRY", g_sandbox->registry_dir.c_str(), 1);
  setenv("ODBCSYSINI", g_sandbox->odbc_sys_dir.c_str(), 1);
  setenv("ODBCINI", g_sandbox->odbc_user_ini.c_str(), 1);
  unsetenv("ODBCINSTINI");
  g_owner = getpid();
  std::atexit(RemoveSandbox);
  return *g_sandbox;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace testing_registry

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/module.h"

namespace {

void* Handle(PlatModule module) {
  return reinterpret_cast<void*>(module);
}
PlatModule FromHandle(void* handle) {
  return reinterpret_cast<PlatModule>(handle);
}

// "X.dll" (in any case) becomes "X.so": the project's libraries are built
// under the names the code knows, with the system's ending.
std::string SystemFileName(const char* name) {
  std::string file(name);
  if (file.size() > 4 && strcasecmp(file.c_str() + file.size() - 4, ".dll") == 0) {
    file.replace(file.size() - 4, 4, ".so");
  }
  return file;
}

PlatModule Load(const std::string& file) {
  return FromHandle(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL));
}

bool CopyOut(const char* path, char* buffer, size_t size, size_t* length) {
  size_t n = std::strlen(path);
  if (n == 0 || n + 1 > size) return false;
  std::memcpy(buffer, path, n + 1);
  *length = n;
  return true;
}

}  // namespace

PlatModule PlatModuleLoadFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  try {
    return Load(SystemFileName(path));
  } catch (...) {
    return nullptr;
  }
}

PlatModule PlatModuleLoadByName(const char* name) {
  if (name == nullptr || name[0] == '\0') return nullptr;
  try {
    std::string file = SystemFileName(name);
    if (file.find('/') != std::string::npos) return Load(file);
    // The dynamic loader does not look in the program's directory, where
    // the programs keep their companion libraries.
    char program[PATH_MAX];
    if (PlatModuleFileName(nullptr, program, sizeof program) != 0) {
      std::string beside(program);
      beside.erase(beside.rfind('/') + 1);
      beside += file;
      if (beside.size() < PATH_MAX) {
        if (PlatModule module = Load(beside)) return module;
      }
    }
    return Load(file);
  } catch (...) {
    return nullptr;
  }
}

void PlatModuleFree(PlatModule module) {
  if (module != nullptr) dlclose(Handle(module));
}

void* PlatModuleSymbol(PlatModule module, const char* name) {
  if (name == nullptr) return nullptr;
  if (module != nullptr) return dlsym(Handle(module), name);
  void* program = dlopen(nullptr, RTLD_LAZY);
  if (program == nullptr) return nullptr;
  void* symbol = dlsym(program, name);
  dlclose(program);
  return symbol;
}

int PlatModuleOf(const void* address, PlatModule* module) {
  if (address == nullptr || module == nullptr) return -1;
  Dl_info info;
  link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      map == nullptr) {
    return -1;
  }
  if (map->l_name == nullptr || map->l_name[0] == '\0') {
    *module = nullptr;  // the main program
    return 0;
  }
  // Asking for the already loaded library gives its handle without loading
  // anything; the extra reference is given back at once, the library stays
  // loaded as long as the address is live.
  void* handle = dlopen(map->l_name, RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return -1;
  dlclose(handle);
  *module = FromHandle(handle);
  return 0;
}

size_t PlatModuleFileName(PlatModule module, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  char resolved[PATH_MAX];
  if (module == nullptr) {
    ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof resolved) return 0;
    resolved[n] = '\0';
  } else {
    link_map* map = nullptr;
    if (dlinfo(Handle(module), RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
        map->l_name == nullptr || map->l_name[0] == '\0') {
      return 0;
    }
    if (realpath(map->l_name, resolved) == nullptr) return 0;
  }
  size_t length = 0;
  return CopyOut(resolved, buffer, size, &length) ? length : 0;
}

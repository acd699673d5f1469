#include "common/res_dll.h"

#include "common/file_path.h"
#include "common/module_path.h"

namespace {

PlatModule g_resource_library = nullptr;

}  // namespace

int ResDllLoad(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  ResDllFree();
  g_resource_library = PlatModuleLoadByName(name);
  return g_resource_library != nullptr ? 1 : 0;
}

int ResDllLoadBeside(const char* name, PlatModule module) {
  if (name == nullptr || name[0] == '\0' || module == nullptr) return 0;
  ResDllFree();
  ModulePathParts parts;
  if (ModulePathSplit(module, &parts) == 0) {
    // A path too long to hold is not tried: a cut one could name another
    // library.
    char path[kPlatPathMax];
    if (PathJoin(parts.directory, name, path, static_cast<uint16_t>(sizeof path)) == 0) {
      g_resource_library = PlatModuleLoadFile(path);
    }
  }
  if (g_resource_library == nullptr) g_resource_library = PlatModuleLoadByName(name);
  return g_resource_library != nullptr ? 1 : 0;
}

void ResDllFree() {
  PlatModuleFree(g_resource_library);
  g_resource_library = nullptr;
}

PlatModule ResDllHandle() {
  return g_resource_library;
}

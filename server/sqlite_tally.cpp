#include "server/sqlite_tally.h"

#include <dlfcn.h>

namespace velsrv {

namespace {

constexpr int kSqliteConfigMemstatus = 9;  // SQLITE_CONFIG_MEMSTATUS
constexpr int kSqliteOk = 0;

}  // namespace

bool TurnOffSqliteMemoryTally() {
  // Loaded for good: the setting lives in the library, which the driver
  // loads again later by the same name.
  void* library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  if (library == nullptr) return false;
  using Config = int (*)(int, ...);
  auto config = reinterpret_cast<Config>(dlsym(library, "sqlite3_config"));
  // Once SQLite is in use the setting is refused, and nothing changes.
  return config != nullptr && config(kSqliteConfigMemstatus, 0) == kSqliteOk;
}

}  // namespace velsrv

#include "tools/shared/driver_exports.h"

#include "platform/module.h"

namespace {

using ServerListFn = int16_t (*)(const char*, const char*, char*, int32_t);
using DataSourcesFn = int16_t (*)(const char*, const char*, uint8_t*, int32_t*);

}  // namespace

bool LoadDriverExports(const char* library, DriverExports* exports, std::string* error) {
  PlatModule module = PlatModuleLoadByName(library);
  if (module == nullptr) {
    *error = std::string("cannot load ") + library;
    return false;
  }
  auto server_list =
      reinterpret_cast<ServerListFn>(PlatModuleSymbol(module, "_rpcServGetServerList"));
  auto data_sources =
      reinterpret_cast<DataSourcesFn>(PlatModuleSymbol(module, "_rpcServGetDataSources"));
  if (server_list == nullptr || data_sources == nullptr) {
    *error = std::string(library) + " lacks the server-list exports";
    PlatModuleFree(module);
    return false;
  }
  exports->get_server_list = server_list;
  exports->get_data_sources = data_sources;
  return true;
}

// The driver library's two server-list exports, through which discovery
// asks servers over TCP. The tools bind them from velclt32 at start; tests
// put their own servers behind them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct DriverExports {
  // _rpcServGetServerList: server text, attribute string, buffer, capacity.
  std::function<int16_t(const char*, const char*, char*, int32_t)> get_server_list;
  // _rpcServGetDataSources: server text, attribute string, buffer, in/out size.
  std::function<int16_t(const char*, const char*, uint8_t*, int32_t*)> get_data_sources;
};

// Loads the driver library (a path, or a bare name looked for beside the
// program first) and binds both exports. False with a message when the
// library or an export is missing; the library stays loaded for the
// process's life.
bool LoadDriverExports(const char* library, DriverExports* exports, std::string* error);

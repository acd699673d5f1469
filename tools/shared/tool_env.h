// What the tools' core works with besides the settings: the driver's name,
// the driver's server-list exports and where UDP discovery broadcasts. The
// tools make one with MakeToolEnv; tests fill their own.
#pragma once

#include <cstdint>
#include <string>

#include "tools/shared/driver_exports.h"

struct ToolEnv {
  // VEL_REG_CLI_NAME: the driver's section in odbcinst.ini.
  std::string driver_name;
  DriverExports driver;
  // Where SAP_REQUEST_SERVERS goes (network order): the limited broadcast
  // address for the tools, a loopback address in tests.
  uint32_t broadcast_address = 0xFFFFFFFFu;
  // The period of UDP discovery's time-out check.
  int udp_tick_ms = 5000;
};

// The tools' environment: the driver name from the catalogue, the exports
// of `exports` (unbound when it is empty or null).
ToolEnv MakeToolEnv(const DriverExports* exports);

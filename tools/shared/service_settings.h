// The client-service settings every tool reads at start: where to look for
// servers, how long to wait for them, how data sources are registered and
// how often the automatic update runs.
#pragma once

#include <cstdint>

#include "tools/shared/tool_env.h"

struct ServiceSettings {
  uint32_t system_dsn;       // SvcSystemDSN: 1 system DSNs, 0 user DSNs
  uint32_t use_server_list;  // the inverse of SvcDirect: 1 ask ServerList, 0 ask SvcServer
  char server_list[513];     // ServerList: host:port items of the last discovery
  char svc_server[65];       // SvcServer: the one server of direct mode
  uint16_t svc_srv_port;     // SvcSrvPort: its TCP port
  uint16_t svc_port;         // SvcPort: the servers' UDP discovery port
  uint32_t enable_auto_update;
  uint32_t update_always;
  int32_t update_every_x_hour_sec;  // 3600..2678400
  uint32_t last_update_ts;          // seconds since 1970 (UTC)
  uint16_t svc_clnt_time_out;       // seconds of silence that end UDP discovery
  uint32_t svc_enable_broadcasting;
  uint32_t use_proxy_server;
  char proxy_server[65];
  uint16_t proxy_port;
};

constexpr int32_t kUpdatePeriodMin = 3600;
constexpr int32_t kUpdatePeriodMax = 2678400;

// Fills every field; a missing, empty, non-numeric or out-of-range value
// takes its default.
void ReadServiceSettings(const ToolEnv& env, ServiceSettings* settings);
// Stores what the configuration utility edits: 0, or kCspWriteFailed at the
// first write that fails (those before it stay written).
int32_t WriteServiceSettings(const ToolEnv& env, const ServiceSettings& settings);

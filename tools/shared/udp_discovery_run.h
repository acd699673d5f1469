// UDP discovery on one socket: the state machine of udp_discovery.h driven
// by a poll loop that hands it every datagram and a tick every
// env.udp_tick_ms.
#pragma once

#include <cstdint>

#include "tools/shared/server_entry.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

// kCspDone, kCspNothingFound (no data source offered), kCspNoMemory,
// kCspSocketError or kCspTimedOut. After a failure no entry keeps a list.
int32_t CspEnumByUdp(const ToolEnv& env, ServerEntries* servers, const ServiceSettings& settings);

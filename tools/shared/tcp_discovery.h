// Discovery: which servers exist and which data sources each offers to
// this user. Known servers are asked over TCP through the driver's
// server-list exports; only when no server can be named at all does UDP
// broadcast take over. Results are the kCsp... codes (tool_status.h).
//
// Csp, in the names of the discovery functions and their status codes, is
// the name of discovery's trace (CSPTrace, its lines begin "CSP:"), the
// tools' client-service side; the prefix says nothing more.
#pragma once

#include <cstdint>
#include <string>

#include "common/trace.h"
#include "tools/shared/server_entry.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

// The entry point of every tool: fills the caller's empty `servers`.
int32_t DiscoverDataSources(const ToolEnv& env, ServerEntries* servers,
                            const ServiceSettings& settings);
int32_t CspEnumByTcp(const ToolEnv& env, ServerEntries* servers, const ServiceSettings& settings);

// Asks every server of a server's list text ("Server=a.b.c.d;Port=n;"
// pairs) for its data sources. kCspDone when at least one answered;
// kCspNothingFound when the text is empty or none answered.
int32_t CspGetServerSources(const ToolEnv& env, TraceHandle* trace, const std::string& attrib,
                            const char* server_list, ServerEntries* servers);

// The CSPTrace of the driver's section, or null when it is off.
TraceHandle* OpenCspTrace(const ToolEnv& env);

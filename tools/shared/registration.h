// Registration of discovered data sources as ODBC data sources of this
// driver. The tools run the four steps in this order, each only when the
// one before succeeded: RegisterServerDataSources, UpdateDataSourceServers,
// SaveServerList, SaveLastUpdateTime. Results: kCspDone, kCspNoMemory or
// kCspWriteFailed (writes made before a failure stay).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/shared/server_entry.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

struct RegistrationResult {
  uint32_t servers = 0;       // servers discovered
  uint32_t data_sources = 0;  // data sources added or updated
  uint32_t removed = 0;       // data sources removed (UpdateDataSourceServers)
};

// Creates or updates a data source (user or system, per the settings) for
// every name offered, its ServerName listing every server that offers it,
// and its File DSN. A name held by another driver's data source, or one
// that cannot be a data source name, is skipped.
int32_t RegisterServerDataSources(const ToolEnv& env, const ServerEntries& servers,
                                  const ServiceSettings& settings, RegistrationResult* result);
// Takes out of every data source of this driver the servers that answered
// and no longer offer it, and removes a data source left without servers.
// A server is the one at the same address and port; servers that did not
// answer stay, and so do servers whose list may have been cut (partial).
// Counts the data sources it removes in `result` (optional).
int32_t UpdateDataSourceServers(const ToolEnv& env, const ServerEntries& servers,
                                const ServiceSettings& settings,
                                RegistrationResult* result = nullptr);

// Whether registration takes an offered name (`server_dsn` as offered,
// `name` with any local suffix): not a path, and one the installer holds.
bool RegistersOfferedName(const std::string& server_dsn, const std::string& name);

// A data source of this driver that an update would remove, with the
// discovered servers (indices into their array) that no longer offer it.
struct DataSourceRemoval {
  std::string name;
  std::vector<size_t> servers;
};
// What the update would remove of `installed` (this driver's data sources),
// without removing anything: kCspDone or kCspNoMemory.
int32_t FindDataSourceRemovals(const ToolEnv& env, const ServerEntries& servers,
                               const ServiceSettings& settings,
                               const std::vector<std::string>& installed,
                               std::vector<DataSourceRemoval>* removals);
// ServerList: the servers of this run, for the next one to ask.
int32_t SaveServerList(const ToolEnv& env, const ServerEntries& servers);
// LastUpdateTS: now, in seconds since 1970.
int32_t SaveLastUpdateTime(const ToolEnv& env);

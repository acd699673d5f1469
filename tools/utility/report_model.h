// What an update would do, server by server: which offered data sources
// it would add, which it would update, and which installed ones it would
// remove because the server no longer offers them. The report's list, its
// detail dialog and its file all read this one model, so that they name
// every data source alike: as registration would, with the local suffix
// for a server on this host.
#pragma once

#include <string>
#include <vector>

#include "tools/shared/registration.h"
#include "tools/shared/server_entry.h"

struct ReportSource {
  std::string name;        // the client data source name
  bool installed = false;  // a data source of this driver already: updated, not added
};

struct ReportServer {
  std::string description;  // DescribeAddress: "name (dotted)" or dotted
  std::vector<ReportSource> sources;
  std::vector<std::string> removed;  // installed data sources it takes out
  long Added() const;
  long Updated() const;
  long Removed() const { return static_cast<long>(removed.size()); }
};

// Servers without an offered list are left out. `installed` names the data
// sources of this driver (compared without regard to case); `removals`
// those the update would remove (FindDataSourceRemovals), each listed
// under every server that no longer offers it.
std::vector<ReportServer> BuildReport(const ServerEntries& servers,
                                      const std::vector<std::string>& installed,
                                      const std::vector<DataSourceRemoval>& removals);

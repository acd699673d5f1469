#include "tools/utility/report_model.h"

#include <algorithm>

#include "common/str_util.h"
#include "tools/shared/local_suffix.h"
#include "tools/shared/resolver.h"

long ReportServer::Added() const {
  long n = 0;
  for (const ReportSource& s : sources) n += s.installed ? 0 : 1;
  return n;
}

long ReportServer::Updated() const {
  return static_cast<long>(sources.size()) - Added();
}

std::vector<ReportServer> BuildReport(const ServerEntries& servers,
                                      const std::vector<std::string>& installed,
                                      const std::vector<DataSourceRemoval>& removals) {
  std::vector<ReportServer> report;
  for (size_t index = 0; index < servers.size(); ++index) {
    const ServerEntry& server = servers[index];
    if (!server.HasList()) continue;
    ReportServer line;
    line.description = DescribeAddress(server.address);
    for (std::string_view item : OfferedItems(server)) {
      ReportSource source;
      std::string offered(OfferedName(item));
      source.name = AddLocalSuffix(offered, server.address);
      // What registration leaves out is neither added nor updated.
      if (!RegistersOfferedName(offered, source.name)) continue;
      for (const std::string& name : installed) {
        if (StrCaseCompare(name.c_str(), source.name.c_str()) == 0) source.installed = true;
      }
      line.sources.push_back(source);
    }
    for (const DataSourceRemoval& removal : removals) {
      if (std::find(removal.servers.begin(), removal.servers.end(), index) != removal.servers.end())
        line.removed.push_back(removal.name);
    }
    report.push_back(line);
  }
  return report;
}

#include "tools/shared/registration.h"

#include <algorithm>
#include <ctime>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "common/profile.h"
#include "common/str_util.h"
#include "tools/shared/dsn_store.h"
#include "tools/shared/local_suffix.h"
#include "tools/shared/server_name_value.h"
#include "tools/shared/tcp_discovery.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/tool_text.h"

namespace {

// Longest description written: a server's text must not make the line too
// long for the installer to read back.
constexpr size_t kDescriptionMax = 512;

struct DataSourceRecord {
  std::string name;  // the client data source name
  std::string description;
  std::string server_dsn;  // the name as the server offers it
  bool exists = false;     // already a data source of this driver
  DsnServers servers;
};

bool SameName(const std::string& a, const std::string& b) {
  return StrCaseCompare(a.c_str(), b.c_str()) == 0;
}

DataSourceRecord* FindDataSourceRecord(const std::string& name,
                                       std::vector<DataSourceRecord>& records) {
  for (DataSourceRecord& r : records) {
    if (SameName(r.name, name)) return &r;
  }
  return nullptr;
}

// A name the installer writes and reads back as it is.
bool UsableName(const std::string& name) {
  if (name.empty() || name.size() > kDsnNameMax) return false;
  if (name.front() == ' ' || name.back() == ' ') return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7f) return false;
  }
  return PlatDsnNameValid(name);
}

// Why registration leaves an offered name out (null: it does not). `name`
// is the client name, with any local suffix.
const char* WhyNameIsSkipped(const std::string& server_dsn, const std::string& name) {
  // Its File DSN is written, and later deleted, by this name.
  if (!server_dsn.empty() && (!FileDsnNameUsable(server_dsn) || !FileDsnNameUsable(name)))
    return "its name is a path";
  if (server_dsn.empty() || !UsableName(name)) return "not a usable data source name";
  return nullptr;
}

// A description from the network goes into one line of the file: a line
// break would start a key of its own.
std::string CleanDescription(std::string_view text) {
  std::string out(text.substr(0, kDescriptionMax));
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return out;
}

void AddServer(DsnServers* servers, const ServerEntry& offering) {
  for (DsnServer& s : *servers) {
    if (s.resolved && s.address == offering.address) {
      s.port = offering.port;
      return;
    }
  }
  DsnServer s;
  s.resolved = true;
  s.address = offering.address;
  s.port = offering.port;
  servers->push_back(s);
}

int32_t WriteDataSource(const ToolEnv& env, PlatDsnScope scope, const DataSourceRecord& r) {
  if (!r.exists) {
    // Only a new data source is created: the installer empties the section
    // of one that exists, and its other keys are the user's.
    std::string driver = env.driver_name;
    if (scope == PlatDsnScope::kSystem) {
      std::string path = DriverLibraryPath(env);
      if (!path.empty()) driver = path;
    }
    if (!PlatDsnCreate(scope, r.name, driver)) return kCspWriteFailed;
  }
  if (!PlatDsnSetValue(scope, r.name, "Description", r.description) ||
      !PlatDsnSetValue(scope, r.name, "ServerDSN", r.server_dsn) ||
      !PlatDsnSetValue(scope, r.name, "ServerName", FormatServerNameValue(r.servers))) {
    return kCspWriteFailed;
  }
  const struct {
    const char* key;
    const char* value;
  } defaults[] = {{"ArrayFetchOn", "1"}, {"ArrayBufferSize", "8"}};
  for (const auto& d : defaults) {
    std::string current;
    if (PlatDsnGetValue(scope, r.name, d.key, &current) && !current.empty()) continue;
    if (!PlatDsnSetValue(scope, r.name, d.key, d.value)) return kCspWriteFailed;
  }
  return kCspDone;
}

// Builds the records of every offered name.
int32_t CollectOffered(const ToolEnv& env, const ServerEntries& servers, PlatDsnScope scope,
                       TraceHandle* trace, std::vector<DataSourceRecord>* records) {
  std::vector<std::string> existing;
  if (!PlatDsnList(scope, &existing)) return kCspWriteFailed;
  std::set<std::string> skipped;
  auto skip = [&](const std::string& name, const char* why) {
    if (skipped.insert(name).second)
      TracePrintf(trace, "CSP: Skipping data source %s: %s.\n", name.c_str(), why);
  };
  for (const ServerEntry& server : servers) {
    for (std::string_view item : OfferedItems(server)) {
      std::string server_dsn(OfferedName(item));
      std::string name = AddLocalSuffix(server_dsn, server.address);
      if (const char* why = WhyNameIsSkipped(server_dsn, name)) {
        skip(name, why);
        continue;
      }
      if (DataSourceRecord* r = FindDataSourceRecord(name, *records)) {
        AddServer(&r->servers, server);
        continue;
      }
      if (skipped.count(name) != 0) continue;
      DataSourceRecord r;
      for (const std::string& e : existing) {
        if (!SameName(e, name)) continue;
        std::string driver;
        PlatDsnGetValue(scope, e, "Driver", &driver);
        if (!NamesThisDriver(env, driver)) break;
        r.exists = true;
        name = e;  // the spelling the file holds
        std::string current;
        PlatDsnGetValue(scope, e, "ServerName", &current);
        r.servers = ParseServerNameValue(current);
        break;
      }
      bool taken =
          !r.exists && std::any_of(existing.begin(), existing.end(),
                                   [&](const std::string& e) { return SameName(e, name); });
      if (taken) {
        skip(name, "a data source of another driver has this name");
        continue;
      }
      r.name = name;
      r.server_dsn = server_dsn;
      r.description = CleanDescription(OfferedDescription(item));
      AddServer(&r.servers, server);
      records->push_back(std::move(r));
    }
  }
  return kCspDone;
}

int32_t Register(const ToolEnv& env, const ServerEntries& servers, const ServiceSettings& settings,
                 RegistrationResult* result) {
  PlatDsnScope scope = DsnScope(settings);
  TraceHandle* trace = OpenCspTrace(env);
  std::vector<DataSourceRecord> records;
  int32_t rc = CollectOffered(env, servers, scope, trace, &records);
  TraceClose(trace);
  if (rc != kCspDone) return rc;
  for (const DataSourceRecord& r : records) {
    rc = WriteDataSource(env, scope, r);
    if (rc != kCspDone) return rc;
    WriteFileDsn(r.name);  // a File DSN that cannot be written is no failure
    if (result != nullptr) ++result->data_sources;
  }
  return kCspDone;
}

// Whether the discovered servers still offer `name` from this server.
bool StillOffered(const ServerEntry& server, const std::string& name) {
  for (std::string_view item : OfferedItems(server)) {
    std::string offered = AddLocalSuffix(std::string(OfferedName(item)), server.address);
    if (SameName(offered, name)) return true;
  }
  return false;
}

// What discovery says of one data source of this driver.
struct Judgement {
  bool judged = false;            // false: it names no usable server
  DsnServers kept;                // the servers of its ServerName that stay
  std::vector<size_t> withdrawn;  // the discovered servers that no longer offer it
};

Judgement Judge(const ServerEntries& servers, PlatDsnScope scope, const std::string& name) {
  Judgement j;
  std::string current;
  PlatDsnGetValue(scope, name, "ServerName", &current);
  DsnServers parsed = ParseServerNameValue(current);
  // A data source that names no usable server is not this run's to judge.
  if (parsed.empty()) return j;
  j.judged = true;
  for (const DsnServer& s : parsed) {
    // Only the server at this very address and port was asked about it.
    const ServerEntry* found = s.resolved ? FindServer(s.address, s.port, servers) : nullptr;
    if (found == nullptr || found->partial || (found->HasList() && StillOffered(*found, name))) {
      j.kept.push_back(s);
    } else {
      j.withdrawn.push_back(static_cast<size_t>(found - servers.data()));
    }
  }
  return j;
}

int32_t Update(const ToolEnv& env, const ServerEntries& servers, const ServiceSettings& settings,
               RegistrationResult* result) {
  PlatDsnScope scope = DsnScope(settings);
  std::vector<std::string> names;
  if (!CollectDriverDataSources(env, scope, &names)) return kCspWriteFailed;
  for (const std::string& name : names) {
    Judgement j = Judge(servers, scope, name);
    if (!j.judged) continue;
    if (j.kept.empty()) {
      if (!RemoveDataSource(scope, name)) return kCspWriteFailed;
      if (result != nullptr) ++result->removed;
    } else if (!PlatDsnSetValue(scope, name, "ServerName", FormatServerNameValue(j.kept))) {
      return kCspWriteFailed;
    }
  }
  return kCspDone;
}

void FindRemovals(const ServerEntries& servers, PlatDsnScope scope,
                  const std::vector<std::string>& installed,
                  std::vector<DataSourceRemoval>* removals) {
  for (const std::string& name : installed) {
    Judgement j = Judge(servers, scope, name);
    if (!j.judged || !j.kept.empty()) continue;
    // Registration, which runs first, adds every server that offers it under
    // a name it registers; that server then keeps it.
    bool offered = std::any_of(servers.begin(), servers.end(), [&](const ServerEntry& server) {
      for (std::string_view item : OfferedItems(server)) {
        std::string server_dsn(OfferedName(item));
        std::string client = AddLocalSuffix(server_dsn, server.address);
        if (SameName(client, name) && RegistersOfferedName(server_dsn, client)) return true;
      }
      return false;
    });
    if (!offered) removals->push_back(DataSourceRemoval{name, j.withdrawn});
  }
}

}  // namespace

int32_t RegisterServerDataSources(const ToolEnv& env, const ServerEntries& servers,
                                  const ServiceSettings& settings, RegistrationResult* result) {
  if (result != nullptr) *result = RegistrationResult{static_cast<uint32_t>(servers.size()), 0, 0};
  try {
    return Register(env, servers, settings, result);
  } catch (const std::bad_alloc&) {
    return kCspNoMemory;
  }
}

int32_t UpdateDataSourceServers(const ToolEnv& env, const ServerEntries& servers,
                                const ServiceSettings& settings, RegistrationResult* result) {
  try {
    return Update(env, servers, settings, result);
  } catch (const std::bad_alloc&) {
    return kCspNoMemory;
  }
}

bool RegistersOfferedName(const std::string& server_dsn, const std::string& name) {
  return WhyNameIsSkipped(server_dsn, name) == nullptr;
}

int32_t FindDataSourceRemovals(const ToolEnv& /*env*/, const ServerEntries& servers,
                               const ServiceSettings& settings,
                               const std::vector<std::string>& installed,
                               std::vector<DataSourceRemoval>* removals) {
  removals->clear();
  try {
    FindRemovals(servers, DsnScope(settings), installed, removals);
    return kCspDone;
  } catch (const std::bad_alloc&) {
    removals->clear();
    return kCspNoMemory;
  }
}

int32_t SaveServerList(const ToolEnv& /*env*/, const ServerEntries& servers) {
  char path[513];
  char section[513];
  ToolText(kMsgRegServerListFile, path, sizeof path);
  ToolText(kMsgRegCliVersion, section, sizeof section);
  std::string list = FormatServerListValue(servers);
  return ProfileWriteString(path, section, "ServerList", list.c_str()) ? kCspDone : kCspWriteFailed;
}

int32_t SaveLastUpdateTime(const ToolEnv& /*env*/) {
  char path[513];
  char section[513];
  ToolText(kMsgRegServerListFile, path, sizeof path);
  ToolText(kMsgRegCliVersion, section, sizeof section);
  std::string now = std::to_string(static_cast<long>(std::time(nullptr)));
  return ProfileWriteString(path, section, "LastUpdateTS", now.c_str()) ? kCspDone
                                                                        : kCspWriteFailed;
}

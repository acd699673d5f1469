#include "server/source_catalog.h"

#include <strings.h>

#include <map>
#include <set>

#include "server/conn_string.h"

namespace velsrv {

bool CarriesCredentials(const std::string& connect) {
  ConnString cs;
  cs.Parse(connect);
  for (const char* key : {"UID", "PWD", "User", "Username", "Password"}) {
    if (cs.Get(key)) return true;
  }
  return false;
}

LoginCheck LoginCheckOf(const DsnEntry& dsn) {
  if (dsn.login) return *dsn.login;
  return CarriesCredentials(dsn.connect) ? LoginCheck::kUsers : LoginCheck::kBackend;
}

bool SourceCatalog::Load(const ServerConfig& config, std::string* error,
                         std::vector<std::string>* warnings, const SourceCatalog* previous) {
  std::set<std::string> checked;
  if (previous != nullptr) {
    for (const OfferedSource& s : previous->sources_) {
      if (s.users != nullptr) s.users->AddCheckedHashes(&checked);
    }
  }
  std::map<std::string, std::shared_ptr<const UserList>> lists;  // by file
  std::vector<OfferedSource> sources;
  for (const DsnEntry& dsn : config.OfferedDsns()) {
    OfferedSource source{dsn, LoginCheckOf(dsn), nullptr};
    const std::string& path = dsn.users.empty() ? config.users : dsn.users;
    if (!path.empty()) {
      auto it = lists.find(path);
      if (it == lists.end()) {
        auto list = std::make_shared<UserList>();
        if (!list->Load(path, error, &checked)) return false;
        it = lists.emplace(path, std::move(list)).first;
      }
      source.users = it->second;
    }
    if (source.check == LoginCheck::kUsers && source.users == nullptr)
      warnings->push_back("data source " + dsn.name +
                          " checks logins against a users list but has none: every login to it "
                          "is refused");
    sources.push_back(std::move(source));
  }
  sources_ = std::move(sources);
  return true;
}

const OfferedSource* SourceCatalog::Find(const std::string& name) const {
  for (const OfferedSource& s : sources_) {
    if (s.dsn.name.size() == name.size() && strcasecmp(s.dsn.name.c_str(), name.c_str()) == 0)
      return &s;
  }
  return nullptr;
}

}  // namespace velsrv

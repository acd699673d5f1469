// The data sources a server offers, each with the way its logins are
// checked and the users list it checks them against: what the login and the
// data-source list read, replaced whole when the configuration is reloaded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server/config.h"
#include "server/users.h"

namespace velsrv {

struct OfferedSource {
  DsnEntry dsn;
  LoginCheck check = LoginCheck::kBackend;
  std::shared_ptr<const UserList> users;  // null: none configured
};

// True when an ODBC connection string names its own user or password.
bool CarriesCredentials(const std::string& connect);
// The data source's own choice, else kUsers exactly when its connection
// string carries credentials.
LoginCheck LoginCheckOf(const DsnEntry& dsn);

class SourceCatalog {
 public:
  // Reads the users lists the configuration names. False with a message
  // when one cannot be read; `warnings` receives what the operator should
  // know (a data source whose logins can never succeed). The hashes of
  // `previous` (the catalog this one replaces, or null) are not checked
  // again.
  bool Load(const ServerConfig& config, std::string* error, std::vector<std::string>* warnings,
            const SourceCatalog* previous = nullptr);

  // The source clients may name as `name` (without regard to case).
  const OfferedSource* Find(const std::string& name) const;
  const std::vector<OfferedSource>& sources() const { return sources_; }

 private:
  std::vector<OfferedSource> sources_;
};

}  // namespace velsrv

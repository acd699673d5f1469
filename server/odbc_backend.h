// The backend over unixODBC, used as an ODBC application with ODBC 2
// behaviour, so that type codes and SQLSTATEs are the 2.x ones the client
// expects.
#pragma once

#include <memory>
#include <string>

#include "server/backend.h"

namespace velsrv {

class OdbcBackend : public Backend {
 public:
  // Allocates the environment; `ok` says whether that worked.
  OdbcBackend();
  ~OdbcBackend() override;
  OdbcBackend(const OdbcBackend&) = delete;
  OdbcBackend& operator=(const OdbcBackend&) = delete;

  bool ok() const { return env_ != nullptr; }
  BackendRc Connect(const std::string& connection_string,
                    std::unique_ptr<BackendConnection>* connection, DiagList* diags) override;

 private:
  void* env_ = nullptr;
};

}  // namespace velsrv

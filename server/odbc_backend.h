// The backend over unixODBC, used as an ODBC application with ODBC 2
// behaviour, so that type codes and SQLSTATEs are the 2.x ones the client
// expects.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
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
                    std::chrono::steady_clock::time_point deadline,
                    std::unique_ptr<BackendConnection>* connection, DiagList* diags) override;

 private:
  // The lock of one backend driver (by BackendDriverOf), made on first use.
  std::shared_ptr<std::timed_mutex> DriverLock(const std::string& driver);

  void* env_ = nullptr;
  std::mutex driver_locks_mutex_;
  std::map<std::string, std::shared_ptr<std::timed_mutex>> driver_locks_;
};

}  // namespace velsrv

// A server for the driver's tests: velsrv's listener over the scripted
// backend, on an ephemeral loopback port, for the life of the object.
#pragma once

#include <sql.h>

#include <memory>
#include <string>

#include "testing/scripted_backend.h"

namespace velsrv {
class Listener;
}

struct DrvConn;

class ServerFixture {
 public:
  ServerFixture();
  ~ServerFixture();
  ServerFixture(const ServerFixture&) = delete;
  ServerFixture& operator=(const ServerFixture&) = delete;

  // "ServerName=127.0.0.1.<port>;ServerDSN=sales;UID=scott;PWD=tiger".
  std::string ConnectString() const;
  // "127.0.0.1.<port>".
  std::string Address() const;
  // Logs the connection in through SQLDriverConnect's worker.
  SQLRETURN Connect(DrvConn* connection) const;
  velsrv::ScriptedLog Log() { return backend_.Log(); }

 private:
  velsrv::ScriptedBackend backend_;
  std::unique_ptr<velsrv::Listener> listener_;
};

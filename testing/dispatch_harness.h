// Drives the dispatcher without sockets: a server context over the scripted
// backend, sessions without connections, and requests answered in process.
// The unit tests and the fuzz target share it.
#pragma once

#include <memory>
#include <string>

#include "server/config.h"
#include "server/server_context.h"
#include "server/session.h"
#include "testing/scripted_backend.h"
#include "testing/wire_test_client.h"

namespace velsrv_test {

// Data sources over the scripted backend: "sales" (its DSN "scripted") and
// "orphan" (a DSN the backend does not know).
velsrv::ServerConfig ScriptedConfig();

class Harness {
 public:
  explicit Harness(velsrv::ScriptedData data = velsrv::DefaultScriptedData(),
                   const velsrv::ServerConfig& config = ScriptedConfig());

  std::shared_ptr<velsrv::Session> NewSession(bool loopback = true);
  // False when the dispatcher closed the connection instead of answering.
  bool Call(velsrv::Session& session, MsgBufPtr request, Reply* reply);
  // Logs in; the status goes to `status`.
  LoginResult Login(velsrv::Session& session, const std::string& connection_string,
                    int16_t* status);
  // Logs in as the scripted user on "sales"; returns the connection id.
  int32_t LoginOk(velsrv::Session& session);
  // Allocates a statement on a logged-in session.
  int32_t AllocStmt(velsrv::Session& session, int32_t connection_id);
  // Procedure 12.
  std::vector<LnaDiagRecord> Errors(velsrv::Session& session, int32_t connection_id,
                                    int32_t statement_id);

  velsrv::ScriptedBackend& backend() { return backend_; }
  velsrv::ServerContext& context() { return context_; }

 private:
  velsrv::ScriptedBackend backend_;
  velsrv::ServerContext context_;
};

// The connection string the driver would send for "sales".
std::string SalesLogin(const std::string& uid = "scott", const std::string& pwd = "tiger");

}  // namespace velsrv_test

#include "server/dsn_check.h"

#include "server/log.h"
#include "server/login_types.h"

namespace velsrv {

void CheckDataSources(ServerContext& context) {
  for (const DsnEntry& dsn : context.dsns()) {
    std::string connect = dsn.connect.empty() ? "DSN=" + dsn.name : dsn.connect;
    std::unique_ptr<BackendConnection> backend;
    DiagList diags;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::seconds(context.config().login_timeout_seconds);
    if (!Succeeded(context.backend().Connect(connect, deadline, &backend, &diags)) ||
        backend == nullptr) {
      std::string why = diags.empty() ? "no diagnostic" : diags[0].sqlstate + " " + diags[0].text;
      Log(LogLevel::kWarning, "data source \"" + dsn.name + "\" cannot connect: " + why);
      continue;
    }
    std::vector<LnaTypeInfo> rows;
    std::string missing;
    if (!ReadLoginTypes(*backend, &rows, &missing)) {
      Log(LogLevel::kWarning, "data source \"" + dsn.name + "\" answers type information without " +
                                  missing + ": its logins are refused");
      continue;
    }
    Log(LogLevel::kInfo, "data source \"" + dsn.name + "\" (" + dsn.description + ") connects");
  }
}

}  // namespace velsrv

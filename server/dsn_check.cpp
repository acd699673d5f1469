#include "server/dsn_check.h"

#include <filesystem>

#include "server/conn_string.h"
#include "server/diag_summary.h"
#include "server/log.h"
#include "server/login_types.h"

namespace velsrv {

namespace {

// A file database cannot be made in a folder that is not there, and its
// driver may not say so ("connect failed"): the folder is named.
std::string MissingFolder(const std::string& connect) {
  ConnString cs;
  cs.Parse(connect);
  std::optional<std::string> database = cs.Get("Database");
  if (!database || database->empty() || (*database)[0] != '/') return "";
  std::filesystem::path folder = std::filesystem::path(*database).parent_path();
  std::error_code ignored;
  if (std::filesystem::is_directory(folder, ignored)) return "";
  return "; its folder " + folder.string() + " does not exist";
}

}  // namespace

void CheckDataSources(ServerContext& context) {
  for (const DsnEntry& dsn : context.dsns()) {
    std::string connect = dsn.connect.empty() ? "DSN=" + dsn.name : dsn.connect;
    std::unique_ptr<BackendConnection> backend;
    DiagList diags;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::seconds(context.config().login_timeout_seconds);
    if (!Succeeded(context.backend().Connect(connect, deadline, &backend, &diags)) ||
        backend == nullptr) {
      Log(LogLevel::kWarning,
          "data source \"" + dsn.name + "\" cannot connect: " + DiagSummary(diags) +
              " (connect = " + MaskedConnectString(connect) + MissingFolder(connect) + ")");
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

#include "server/server_context.h"

#include "common/pool.h"
#include "server/log.h"

namespace velsrv {

ServerContext::ServerContext(const ServerConfig& config, Backend& backend)
    : config_(config),
      backend_(backend),
      login_backoff_(std::chrono::seconds(1), std::chrono::minutes(10), AddressBackoff::Clock::now,
                     kLoginFailuresTolerated),
      password_checks_(config.max_password_checks),
      memory_(config.max_server_memory, config.max_connection_memory) {
  PoolTableInit();
  listen_port_ = config.port;
  if (!ReloadSources(config, &load_error_)) sources_ = std::make_shared<SourceCatalog>();
}

ServerContext::~ServerContext() {
  PoolTableTerm();
}

std::shared_ptr<const SourceCatalog> ServerContext::sources() const {
  std::lock_guard<std::mutex> lock(sources_mutex_);
  return sources_;
}

std::vector<DsnEntry> ServerContext::dsns() const {
  std::vector<DsnEntry> out;
  for (const OfferedSource& s : sources()->sources()) out.push_back(s.dsn);
  return out;
}

bool ServerContext::ReloadSources(const ServerConfig& fresh, std::string* error) {
  auto catalog = std::make_shared<SourceCatalog>();
  std::vector<std::string> warnings;
  std::shared_ptr<const SourceCatalog> previous = sources();
  if (!catalog->Load(fresh, error, &warnings, previous.get())) return false;
  for (const std::string& w : warnings) Log(LogLevel::kWarning, w);
  std::lock_guard<std::mutex> lock(sources_mutex_);
  sources_ = std::move(catalog);
  return true;
}

int32_t ServerContext::NextStatementId() {
  int32_t id = next_statement_id_.fetch_add(1);
  if (id <= 0) {
    // After two thousand million statements: start again above 0; ids still
    // in use are skipped by the session, which checks its own table.
    next_statement_id_ = 2;
    id = 1;
  }
  return id;
}

void ServerContext::RequestStop() {
  if (stop_handler_) stop_handler_();
}

}  // namespace velsrv

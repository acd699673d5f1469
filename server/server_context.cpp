#include "server/server_context.h"

#include <strings.h>

#include "common/pool.h"

namespace velsrv {

ServerContext::ServerContext(const ServerConfig& config, Backend& backend)
    : config_(config), backend_(backend), dsns_(config.OfferedDsns()) {
  PoolTableInit();
  listen_port_ = config.port;
}

ServerContext::~ServerContext() {
  PoolTableTerm();
}

const DsnEntry* ServerContext::FindDsn(const std::string& name) const {
  for (const DsnEntry& e : dsns_) {
    if (e.name.size() == name.size() && strcasecmp(e.name.c_str(), name.c_str()) == 0) return &e;
  }
  return nullptr;
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

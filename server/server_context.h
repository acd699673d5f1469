// What every session of one server shares.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "server/backend.h"
#include "server/config.h"
#include "server/session_registry.h"

namespace velsrv {

class ServerContext {
 public:
  // Holds a reference to the shared runtime's pool table while it lives.
  ServerContext(const ServerConfig& config, Backend& backend);
  ~ServerContext();
  ServerContext(const ServerContext&) = delete;
  ServerContext& operator=(const ServerContext&) = delete;

  const ServerConfig& config() const { return config_; }
  Backend& backend() { return backend_; }
  SessionRegistry& registry() { return registry_; }

  // The data source clients may name as `name` (without regard to case).
  const DsnEntry* FindDsn(const std::string& name) const;
  const std::vector<DsnEntry>& dsns() const { return dsns_; }

  // Statement ids are unique across the server, so that one session's id
  // means nothing to another.
  int32_t NextStatementId();

  // The port the server listens on (the real one when it asked for port 0).
  uint16_t listen_port() const { return listen_port_.load(); }
  void set_listen_port(uint16_t port) { listen_port_ = port; }

  // Asks the server to stop; may be left empty where no server runs.
  void set_stop_handler(std::function<void()> handler) { stop_handler_ = std::move(handler); }
  void RequestStop();

 private:
  ServerConfig config_;
  Backend& backend_;
  std::vector<DsnEntry> dsns_;
  SessionRegistry registry_;
  std::atomic<int32_t> next_statement_id_{1};
  std::atomic<uint16_t> listen_port_{0};
  std::function<void()> stop_handler_;
};

}  // namespace velsrv

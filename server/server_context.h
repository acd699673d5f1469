// What every session of one server shares.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/address_backoff.h"
#include "server/backend.h"
#include "server/config.h"
#include "server/counting_gate.h"
#include "server/memory_budget.h"
#include "server/session_registry.h"
#include "server/source_catalog.h"

namespace velsrv {

class ServerContext {
 public:
  // Holds a reference to the shared runtime's pool table while it lives.
  // Reads the users lists the configuration names; `load_error` tells
  // whether that failed.
  ServerContext(const ServerConfig& config, Backend& backend);
  ~ServerContext();
  ServerContext(const ServerContext&) = delete;
  ServerContext& operator=(const ServerContext&) = delete;

  const ServerConfig& config() const { return config_; }
  Backend& backend() { return backend_; }
  SessionRegistry& registry() { return registry_; }

  // What the data sources and users lists were when this was called; a
  // reload does not change a catalog already taken.
  std::shared_ptr<const SourceCatalog> sources() const;
  // The data sources on offer now.
  std::vector<DsnEntry> dsns() const;
  // Empty unless a users list of the configuration could not be read.
  const std::string& load_error() const { return load_error_; }
  // Takes the data sources and users lists of `fresh` (the other settings
  // stay as they were at start). False with a message, and nothing changed,
  // when a users list cannot be read.
  bool ReloadSources(const ServerConfig& fresh, std::string* error);

  // Who may cancel, and try a password, how often.
  AddressBackoff& cancel_backoff() { return cancel_backoff_; }
  // Logins that fail on their password, of which an address may have this
  // many before it takes turns.
  static constexpr uint64_t kLoginFailuresTolerated = 2;
  AddressBackoff& login_backoff() { return login_backoff_; }
  // The password hashes being checked at once.
  CountingGate& password_checks() { return password_checks_; }
  // What the server holds for its clients.
  MemoryBudget& memory() { return memory_; }

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
  mutable std::mutex sources_mutex_;
  std::shared_ptr<const SourceCatalog> sources_;
  std::string load_error_;
  AddressBackoff cancel_backoff_;
  AddressBackoff login_backoff_;
  CountingGate password_checks_;
  MemoryBudget memory_;
  SessionRegistry registry_;
  std::atomic<int32_t> next_statement_id_{1};
  std::atomic<uint16_t> listen_port_{0};
  std::function<void()> stop_handler_;
};

}  // namespace velsrv

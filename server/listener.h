// The server: listens on TCP, runs one thread per client connection up to
// the configured maximum, and stops cleanly (every session's running call
// cancelled, its transactions rolled back, its backend connection closed).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/backend.h"
#include "server/config.h"
#include "server/server_context.h"

namespace velsrv {

class Session;

class Listener {
 public:
  Listener(const ServerConfig& config, Backend& backend);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds and listens; false with a message when it cannot.
  bool Open(std::string* error);
  // The port it listens on (the ephemeral one when the configuration said 0).
  uint16_t port() const { return context_.listen_port(); }
  ServerContext& context() { return context_; }

  // Accepts and serves until a stop is requested, then ends every session
  // and returns.
  void Run();
  // Run on a thread of its own.
  void Start();
  // Async-signal-safe: asks Run to stop.
  void RequestStop();
  // Async-signal-safe: asks Run to call the reload handler on its thread.
  void RequestReload();
  void set_reload_handler(std::function<void()> handler) { reload_handler_ = std::move(handler); }
  // Requests a stop and waits until Run has ended every session.
  void Stop();

 private:
  struct Worker {
    std::shared_ptr<Session> session;
    int fd = -1;
    std::thread thread;
    std::atomic<bool> done{false};
  };
  void Serve(Worker* worker);
  void ReapFinished();
  void Wake(char what);
  // Reads what woke Run: true when a stop is among it; reloads on the way.
  bool TakeWakes();

  ServerContext context_;
  int listen_fd_ = -1;
  int wake_pipe_[2] = {-1, -1};
  std::mutex workers_mutex_;
  std::list<Worker> workers_;
  std::thread runner_;
  std::function<void()> reload_handler_;
};

}  // namespace velsrv

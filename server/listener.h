// The server: listens on TCP, runs one thread per client connection up to
// the configured maximum, and stops cleanly (every session's running call
// cancelled, its transactions rolled back, its backend connection closed).
#pragma once

#include <atomic>
#include <condition_variable>
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
  // Async-signal-safe: asks for the reload handler to run, on a thread of
  // its own, so that the accepts go on meanwhile; requests that come while
  // it runs make one more run.
  void RequestReload();
  void set_reload_handler(std::function<void()> handler) { reload_handler_ = std::move(handler); }
  // Requests a stop and waits until Run has ended every session.
  void Stop();

 private:
  struct Worker {
    std::shared_ptr<Session> session;
    int fd = -1;
    std::string peer;  // the client's address
    std::thread thread;
    std::atomic<bool> done{false};
  };
  void Serve(Worker* worker);
  static void ReapFinished(std::list<Worker>* workers);
  // Why a connection from `peer` is refused, or empty; workers_mutex_ held.
  std::string RefusalFor(const std::string& peer) const;
  // Tells a refused client why, on a short-lived worker of its own, as
  // long as not too many refusals are under way; else just closes.
  void Refuse(int fd, const std::string& peer, const std::string& reason);
  void Start(std::list<Worker>* workers, std::shared_ptr<Session> session, int fd,
             const std::string& peer);
  void Wake(char what);
  // Reads what woke Run: true when a stop is among it; a reload asked for
  // is handed to the reload thread.
  bool TakeWakes();
  void RunReloads();

  ServerContext context_;
  int listen_fd_ = -1;
  int wake_pipe_[2] = {-1, -1};
  std::mutex workers_mutex_;
  std::list<Worker> workers_;
  std::list<Worker> refusals_;
  std::thread runner_;
  std::function<void()> reload_handler_;
  std::mutex reload_mutex_;
  std::condition_variable reload_wanted_;
  bool reload_pending_ = false;
  bool reload_stop_ = false;
};

}  // namespace velsrv

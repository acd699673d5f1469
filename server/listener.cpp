#include "server/listener.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "server/log.h"
#include "server/session.h"
#include "server/session_loop.h"
#include "server/socket_address.h"

namespace velsrv {

namespace {

constexpr char kWakeStop = 's';
constexpr char kWakeReload = 'h';

// Refused clients are told why by workers of their own, this many at most
// at once (and this many for one address), each for this long at most: a
// flood of refused connections costs a few short-lived threads, beyond
// them a bare close, and one address that floods cannot keep the others'
// refusals from being heard.
constexpr size_t kMaxRefusalsAtOnce = 16;
constexpr size_t kMaxRefusalsPerAddress = 2;

}  // namespace

Listener::Listener(const ServerConfig& config, Backend& backend) : context_(config, backend) {
  context_.set_stop_handler([this] { RequestStop(); });
}

Listener::~Listener() {
  Stop();
  if (listen_fd_ >= 0) ::close(listen_fd_);
  for (int& fd : wake_pipe_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

bool Listener::Open(std::string* error) {
  const ServerConfig& config = context_.config();
  if (::pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  if (!context_.load_error().empty()) {
    *error = context_.load_error();
    return false;
  }
  sockaddr_storage addr{};
  socklen_t addr_len = 0;
  if (!ResolveListenAddress(config.listen_address, config.port, &addr, &addr_len, error))
    return false;
  listen_fd_ = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (addr.ss_family == AF_INET6) {
    // "::" takes IPv4 clients too, whatever the system's default.
    int zero = 0;
    ::setsockopt(listen_fd_, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
  }
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), addr_len) != 0 ||
      ::listen(listen_fd_, 128) != 0) {
    *error =
        config.listen_address + ":" + std::to_string(config.port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t len = sizeof addr;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  context_.set_listen_port(ntohs(addr.ss_family == AF_INET6
                                     ? reinterpret_cast<sockaddr_in6&>(addr).sin6_port
                                     : reinterpret_cast<sockaddr_in&>(addr).sin_port));
  return true;
}

void Listener::Wake(char what) {
  if (wake_pipe_[1] >= 0) {
    ssize_t ignored = ::write(wake_pipe_[1], &what, 1);
    (void)ignored;
  }
}

void Listener::RequestStop() {
  Wake(kWakeStop);
}

void Listener::RequestReload() {
  Wake(kWakeReload);
}

bool Listener::TakeWakes() {
  bool stop = false;
  bool reload = false;
  char bytes[64];
  ssize_t n;
  while ((n = ::read(wake_pipe_[0], bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < n; ++i) {
      if (bytes[i] == kWakeStop) stop = true;
      if (bytes[i] == kWakeReload) reload = true;
    }
  }
  if (reload && !stop) {
    std::lock_guard<std::mutex> lock(reload_mutex_);
    reload_pending_ = true;
    reload_wanted_.notify_one();
  }
  return stop;
}

void Listener::RunReloads() {
  std::unique_lock<std::mutex> lock(reload_mutex_);
  for (;;) {
    reload_wanted_.wait(lock, [this] { return reload_pending_ || reload_stop_; });
    if (reload_stop_) return;
    reload_pending_ = false;
    lock.unlock();
    if (reload_handler_) reload_handler_();
    lock.lock();
  }
}

void Listener::ReapFinished(std::list<Worker>* workers) {
  for (auto it = workers->begin(); it != workers->end();) {
    if (it->done.load()) {
      it->thread.join();
      it = workers->erase(it);
    } else {
      ++it;
    }
  }
}

void Listener::Serve(Worker* worker) {
  RunSession(worker->session, worker->fd);
  worker->session->CloseSocket();
  worker->done = true;
}

std::string Listener::RefusalFor(const std::string& peer) const {
  const ServerConfig& config = context_.config();
  if (static_cast<int>(workers_.size()) >= config.max_connections)
    return "too many connections (" + std::to_string(config.max_connections) + ")";
  int waiting = 0;
  for (const Worker& w : workers_) {
    if (w.peer == peer && !w.done.load() && !w.session->logged_in()) ++waiting;
  }
  if (waiting >= config.max_unauthenticated_per_address)
    return "too many connections from this address that have not logged in (" +
           std::to_string(config.max_unauthenticated_per_address) + ")";
  return "";
}

void Listener::Start(std::list<Worker>* workers, std::shared_ptr<Session> session, int fd,
                     const std::string& peer) {
  session->set_peer_address(peer);
  Worker& w = workers->emplace_back();
  w.session = std::move(session);
  w.fd = fd;
  w.peer = peer;
  w.thread = std::thread(&Listener::Serve, this, &w);
}

void Listener::Refuse(int fd, const std::string& peer, const std::string& reason) {
  Log(LogLevel::kWarning, "connection from " + peer + " refused: " + reason);
  size_t from_there = 0;
  for (const Worker& w : refusals_) from_there += w.peer == peer ? 1 : 0;
  if (refusals_.size() >= kMaxRefusalsAtOnce || from_there >= kMaxRefusalsPerAddress) {
    ::close(fd);
    return;
  }
  // The client learns the reason as its login's diagnostic.
  auto session = std::make_shared<Session>(context_, fd, false, "");
  session->set_refusal("The server refused the connection: " + reason + "; try again later.");
  session->set_login_deadline(
      std::chrono::steady_clock::now() +
      std::chrono::seconds(std::min(kRefusalSeconds, context_.config().login_timeout_seconds)));
  Start(&refusals_, std::move(session), fd, peer);
}

void Listener::Run() {
  if (listen_fd_ < 0) return;
  std::thread reloads(&Listener::RunReloads, this);
  for (;;) {
    pollfd p[2] = {{listen_fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    int r = ::poll(p, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) break;
    if ((p[1].revents & POLLIN) != 0 && TakeWakes()) break;
    if ((p[0].revents & POLLIN) == 0) continue;
    sockaddr_storage peer{};
    socklen_t peer_len = sizeof peer;
    int fd = ::accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &peer_len, SOCK_CLOEXEC);
    if (fd < 0) continue;
    // A reply goes out in one send as soon as it is whole: waiting for the
    // client's acknowledgement first would add a round trip to every call.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string peer_text = AddressText(peer);
    std::lock_guard<std::mutex> lock(workers_mutex_);
    ReapFinished(&workers_);
    ReapFinished(&refusals_);
    std::string refusal = RefusalFor(peer_text);
    if (!refusal.empty()) {
      // Refused at once rather than left waiting, and told why.
      Refuse(fd, peer_text, refusal);
      continue;
    }
    sockaddr_storage local{};
    socklen_t local_len = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_len);
    Log(LogLevel::kInfo, "connection from " + peer_text);
    Start(&workers_, std::make_shared<Session>(context_, fd, IsLoopback(peer), AddressText(local)),
          fd, peer_text);
  }
  ::close(listen_fd_);
  listen_fd_ = -1;
  {
    std::lock_guard<std::mutex> lock(reload_mutex_);
    reload_stop_ = true;
    reload_wanted_.notify_one();
  }
  reloads.join();
  // End every session: its running call is cancelled and its connection
  // shut down, so that its thread ends its login and returns.
  std::lock_guard<std::mutex> lock(workers_mutex_);
  // Sessions that ended on their own since the last accept are not reaped yet.
  long live = std::count_if(workers_.begin(), workers_.end(),
                            [](const Worker& w) { return !w.done.load(); });
  Log(LogLevel::kInfo, "stopping: ending " + std::to_string(live) + " connection(s)");
  for (std::list<Worker>* list : {&workers_, &refusals_}) {
    for (Worker& w : *list) w.session->Kill();
  }
  for (std::list<Worker>* list : {&workers_, &refusals_}) {
    for (Worker& w : *list) w.thread.join();
    list->clear();
  }
}

void Listener::Start() {
  runner_ = std::thread(&Listener::Run, this);
}

void Listener::Stop() {
  RequestStop();
  if (runner_.joinable()) runner_.join();
}

}  // namespace velsrv

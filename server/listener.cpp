#include "server/listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/session.h"
#include "server/session_loop.h"

namespace velsrv {

namespace {

std::string Dotted(const in_addr& a) {
  char text[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

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
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(config.port);
  if (inet_pton(AF_INET, config.listen_address.c_str(), &addr.sin_addr) != 1) {
    *error = "not a dotted IPv4 address: " + config.listen_address;
    return false;
  }
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listen_fd_, 128) != 0) {
    *error =
        config.listen_address + ":" + std::to_string(config.port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t len = sizeof addr;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  context_.set_listen_port(ntohs(addr.sin_port));
  return true;
}

void Listener::RequestStop() {
  if (wake_pipe_[1] >= 0) {
    char c = 's';
    ssize_t ignored = ::write(wake_pipe_[1], &c, 1);
    (void)ignored;
  }
}

void Listener::ReapFinished() {
  std::lock_guard<std::mutex> lock(workers_mutex_);
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done.load()) {
      it->thread.join();
      it = workers_.erase(it);
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

void Listener::Run() {
  if (listen_fd_ < 0) return;
  const int max_connections = context_.config().max_connections;
  for (;;) {
    pollfd p[2] = {{listen_fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    int r = ::poll(p, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 || (p[1].revents & POLLIN) != 0) break;
    if ((p[0].revents & POLLIN) == 0) continue;
    sockaddr_in peer{};
    socklen_t peer_len = sizeof peer;
    int fd = ::accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &peer_len, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ReapFinished();
    {
      std::lock_guard<std::mutex> lock(workers_mutex_);
      if (static_cast<int>(workers_.size()) >= max_connections) {
        // Refused at once rather than left waiting: the client reports it.
        ::close(fd);
        continue;
      }
    }
    sockaddr_in local{};
    socklen_t local_len = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_len);
    bool loopback = (ntohl(peer.sin_addr.s_addr) >> 24) == 127;
    auto session = std::make_shared<Session>(context_, fd, loopback, Dotted(local.sin_addr));
    std::lock_guard<std::mutex> lock(workers_mutex_);
    Worker& w = workers_.emplace_back();
    w.session = std::move(session);
    w.fd = fd;
    w.thread = std::thread(&Listener::Serve, this, &w);
  }
  ::close(listen_fd_);
  listen_fd_ = -1;
  // End every session: its running call is cancelled and its connection
  // shut down, so that its thread ends its login and returns.
  std::lock_guard<std::mutex> lock(workers_mutex_);
  for (Worker& w : workers_) w.session->Kill();
  for (Worker& w : workers_) w.thread.join();
  workers_.clear();
}

void Listener::Start() {
  runner_ = std::thread(&Listener::Run, this);
}

void Listener::Stop() {
  RequestStop();
  if (runner_.joinable()) runner_.join();
}

}  // namespace velsrv

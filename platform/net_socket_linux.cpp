#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/env.h"
#include "platform/net_socket.h"

namespace {

thread_local int32_t t_last_error = 0;

// Keep-alive timing: the first probe after a minute of silence, then every
// 15 s; four unanswered probes end the connection. A busy server's system
// answers probes, so long queries are not cut.
constexpr int kKeepIdleSeconds = 60;
constexpr int kKeepIntervalSeconds = 15;
constexpr int kKeepCount = 4;

int FailErrno(int error) {
  t_last_error = PlatSockErrorFromErrno(error);
  return 0;
}

sockaddr_in ToSockaddr(const PlatInetAddress* a) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = a->address;
  sa.sin_port = htons(a->port);
  return sa;
}

int SetBlocking(PlatSocket s, bool blocking) {
  int flags = fcntl(s, F_GETFL, 0);
  if (flags < 0) return 0;
  flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(s, F_SETFL, flags) == 0;
}

// Drops what a failed or unfinished connect left on the socket, so that it
// can try again.
void Dissolve(PlatSocket s) {
  sockaddr unspec{};
  unspec.sa_family = AF_UNSPEC;
  (void)::connect(s, &unspec, sizeof unspec);
}

// Waits for the connect to finish: 0 when it did (result in SO_ERROR),
// an errno value otherwise.
int WaitConnected(PlatSocket s, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd p{s, POLLOUT, 0};
    int rc = ::poll(&p, 1, static_cast<int>(left));
    if (rc > 0) break;
    if (rc == 0) return ETIMEDOUT;
    if (errno != EINTR) return errno;
  }
  int error = 0;
  socklen_t len = sizeof error;
  if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
  return error;
}

}  // namespace

int32_t PlatSockLastError() {
  return t_last_error;
}

void PlatSockSetLastError(int32_t error) {
  t_last_error = error;
}

int32_t PlatSockErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return 0;
    case EINTR:
      return kWsaEintr;
    case EBADF:
      return kWsaEbadf;
    case EACCES:
    case EPERM:
      return kWsaEacces;
    case EFAULT:
      return kWsaEfault;
    case EINVAL:
      return kWsaEinval;
    case EMFILE:
    case ENFILE:
      return kWsaEmfile;
    case EWOULDBLOCK:
      return kWsaEwouldblock;
    case EINPROGRESS:
      return kWsaEinprogress;
    case EALREADY:
      return kWsaEalready;
    case ENOTSOCK:
      return kWsaEnotsock;
    case EDESTADDRREQ:
      return kWsaEdestaddrreq;
    case EMSGSIZE:
      return kWsaEmsgsize;
    case EPROTOTYPE:
      return kWsaEprototype;
    case ENOPROTOOPT:
      return kWsaEnoprotoopt;
    case EPROTONOSUPPORT:
      return kWsaEprotonosupport;
    case ESOCKTNOSUPPORT:
      return kWsaEsocktnosupport;
    case EOPNOTSUPP:
      return kWsaEopnotsupp;
    case EPFNOSUPPORT:
      return kWsaEpfnosupport;
    case EAFNOSUPPORT:
      return kWsaEafnosupport;
    case EADDRINUSE:
      return kWsaEaddrinuse;
    case EADDRNOTAVAIL:
      return kWsaEaddrnotavail;
    case ENETDOWN:
      return kWsaEnetdown;
    case ENETUNREACH:
      return kWsaEnetunreach;
    case ENETRESET:
      return kWsaEnetreset;
    case ECONNABORTED:
      return kWsaEconnaborted;
    case ECONNRESET:
    case EPIPE:  // writing to a connection the peer has dropped
      return kWsaEconnreset;
    case ENOBUFS:
    case ENOMEM:
      return kWsaEnobufs;
    case EISCONN:
      return kWsaEisconn;
    case ENOTCONN:
      return kWsaEnotconn;
    case ESHUTDOWN:
      return kWsaEshutdown;
    case ETOOMANYREFS:
      return kWsaEtoomanyrefs;
    case ETIMEDOUT:
      return kWsaEtimedout;
    case ECONNREFUSED:
      return kWsaEconnrefused;
    case ELOOP:
      return kWsaEloop;
    case ENAMETOOLONG:
      return kWsaEnametoolong;
    case EHOSTDOWN:
      return kWsaEhostdown;
    case EHOSTUNREACH:
      return kWsaEhostunreach;
    case ENOTEMPTY:
      return kWsaEnotempty;
    case EUSERS:
      return kWsaEusers;
    case EDQUOT:
      return kWsaEdquot;
    case ESTALE:
      return kWsaEstale;
    case EREMOTE:
      return kWsaEremote;
    default:
      return error;
  }
}

int32_t PlatNetStartup() {
  return 0;
}

int PlatResolveHost(const char* host, uint32_t* address) {
  in_addr_t dotted = ::inet_addr(host);
  if (dotted != INADDR_NONE) {
    *address = dotted;
    return 1;
  }
  std::vector<uint32_t> found;
  int32_t error = PlatformEnvGet().HostAddresses(host, &found);
  if (error != 0 || found.empty()) {
    t_last_error = error != 0 ? error : kWsaNoData;
    return 0;
  }
  *address = found.front();
  return 1;
}

int PlatResolveService(const char* name, const char* protocol, uint16_t* port) {
  uint32_t number = 0;
  // A number the port field cannot hold would name another service.
  if (!PlatformEnvGet().ServicePort(name, protocol, &number) || number > UINT16_MAX) {
    t_last_error = kWsaNoData;
    return 0;
  }
  *port = static_cast<uint16_t>(number);
  return 1;
}

PlatSocket PlatSocketTcp() {
  PlatSocket s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) {
    FailErrno(errno);
    return kPlatNoSocket;
  }
  int on = 1;
  int idle = kKeepIdleSeconds, interval = kKeepIntervalSeconds, count = kKeepCount;
  if (::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0 ||
      ::setsockopt(s, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) != 0 ||
      ::setsockopt(s, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) != 0 ||
      ::setsockopt(s, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count) != 0 ||
      // Requests go out whole in one send; none waits for an acknowledgement.
      ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
    FailErrno(errno);
    ::close(s);
    return kPlatNoSocket;
  }
  return s;
}

int PlatConnect(PlatSocket s, const PlatInetAddress* to, int timeout_ms) {
  sockaddr_in sa = ToSockaddr(to);
  if (!SetBlocking(s, false)) return FailErrno(errno);
  int error = 0;
  if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
    error = errno;
    if (error == EINPROGRESS || error == EINTR) error = WaitConnected(s, timeout_ms);
  }
  // Linux keeps a failed connect's state on the socket; dissolving it lets
  // the next attempt start afresh.
  if (error != 0) Dissolve(s);
  if (!SetBlocking(s, true) && error == 0) error = errno;
  if (error != 0) return FailErrno(error);
  return 1;
}

int64_t PlatSend(PlatSocket s, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  size_t sent = 0;
  while (sent < n) {
    ssize_t r = ::send(s, p + sent, n - sent, MSG_NOSIGNAL);
    if (r < 0) {
      if (errno == EINTR) continue;
      FailErrno(errno);
      return -1;
    }
    sent += static_cast<size_t>(r);
  }
  return static_cast<int64_t>(n);
}

int64_t PlatRecv(PlatSocket s, void* buffer, size_t n) {
  for (;;) {
    ssize_t r = ::recv(s, buffer, n, 0);
    if (r >= 0) return r;
    if (errno == EINTR) continue;
    FailErrno(errno);
    return -1;
  }
}

int64_t PlatRecvNow(PlatSocket s, void* buffer, size_t n) {
  for (;;) {
    ssize_t r = ::recv(s, buffer, n, MSG_DONTWAIT);
    if (r >= 0) return r;
    if (errno == EINTR) continue;
    FailErrno(errno);
    return -1;
  }
}

int PlatWaitReadable(PlatSocket s, uint32_t ms) {
  pollfd p{s, POLLIN, 0};
  int timeout = ms == kPlatWaitForever ? -1 : ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
  for (;;) {
    int rc = ::poll(&p, 1, timeout);
    if (rc > 0) return 1;
    if (rc == 0) return 0;
    if (errno == EINTR) continue;
    FailErrno(errno);
    return -1;
  }
}

void PlatCloseSocket(PlatSocket s) {
  if (s >= 0) ::close(s);
}

PlatSocket PlatAccept(PlatSocket listener) {
  for (;;) {
    PlatSocket s = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (s >= 0) return s;
    if (errno == EINTR) continue;
    FailErrno(errno);
    return kPlatNoSocket;
  }
}

int PlatPeerAddress(PlatSocket s, uint32_t* address) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (::getpeername(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return FailErrno(errno);
  if (sa.sin_family != AF_INET) return FailErrno(EAFNOSUPPORT);
  *address = sa.sin_addr.s_addr;
  return 1;
}

void PlatInetText(uint32_t address, char* out) {
  in_addr a{};
  a.s_addr = address;
  if (::inet_ntop(AF_INET, &a, out, 16) == nullptr) out[0] = '\0';
}

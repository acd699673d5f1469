#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/udp_socket.h"

namespace {

int Fail() {
  PlatSockSetLastError(PlatSockErrorFromErrno(errno));
  return 0;
}

sockaddr_in ToSockaddr(const PlatInetAddress* at) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = at->address;
  sa.sin_port = at->port;
  return sa;
}

}  // namespace

PlatSocket PlatSocketUdp() {
  int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (s < 0) Fail();
  return s < 0 ? kPlatNoSocket : s;
}

int PlatSetBroadcast(PlatSocket s, int allow) {
  int value = allow != 0 ? 1 : 0;
  return ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) == 0 ? 1 : Fail();
}

int PlatBindUdp(PlatSocket s, const PlatInetAddress* at) {
  sockaddr_in sa = ToSockaddr(at);
  return ::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 ? 1 : Fail();
}

int PlatSendTo(PlatSocket s, const void* data, size_t n, const PlatInetAddress* to) {
  sockaddr_in sa = ToSockaddr(to);
  for (;;) {
    ssize_t sent =
        ::sendto(s, data, n, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    if (sent == static_cast<ssize_t>(n)) return 1;
    if (sent >= 0) {
      PlatSockSetLastError(kWsaEmsgsize);
      return 0;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // The send buffer is full for a moment; a datagram waits for room.
      pollfd p{s, POLLOUT, 0};
      if (::poll(&p, 1, 1000) > 0) continue;
    }
    return Fail();
  }
}

int64_t PlatRecvFrom(PlatSocket s, void* buffer, size_t n, PlatInetAddress* from) {
  for (;;) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t got = ::recvfrom(s, buffer, n, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    if (got >= 0) {
      from->address = sa.sin_addr.s_addr;
      from->port = sa.sin_port;
      return got;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    // An earlier datagram to a port nobody listens on comes back as an
    // error on the next receive; it says nothing about this socket.
    if (errno == ECONNREFUSED) continue;
    Fail();
    return -1;
  }
}

int PlatWaitReadable(PlatSocket s, int timeout_ms) {
  pollfd p{s, POLLIN, 0};
  int r = ::poll(&p, 1, timeout_ms);
  if (r < 0 && errno == EINTR) return 0;
  if (r < 0) return Fail() - 1;
  return r > 0 ? 1 : 0;
}

uint64_t PlatMonotonicMillis() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

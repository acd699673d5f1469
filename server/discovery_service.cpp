#include "server/discovery_service.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "server/offered_sources.h"

namespace velsrv {

namespace {

// The listen setting as an IPv4 address: discovery speaks IPv4 only.
bool ResolveIpv4(const std::string& host, uint32_t* address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

}  // namespace

bool DiscoveryAnswer(const ServerContext& context, uint32_t local_address, const uint8_t* data,
                     size_t size, SapDatagram* reply) {
  switch (SapType(data, size)) {
    case kSapRequestServers: {
      std::vector<SapServerRecord> records;
      const ServerConfig& config = context.config();
      if (config.server_list.empty()) {
        records.push_back(SapServerRecord{local_address, htons(context.listen_port())});
      } else {
        for (const ServerListEntry& e : config.server_list) {
          in_addr a{};
          if (inet_pton(AF_INET, e.address.c_str(), &a) == 1)
            records.push_back(SapServerRecord{a.s_addr, htons(e.port)});
        }
      }
      SapMakeRespondServers(records.data(), records.size(), reply);
      return true;
    }
    case kSapRequestSources: {
      uint32_t offset = 0;
      std::string_view attrib;  // the client's identity; every user sees the same list
      if (!SapReadRequestSources(data, size, &offset, &attrib)) return false;
      *reply = SapMakeRespondSources(OfferedSourceList(context.dsns(), kSapMaxSourceList), offset);
      return true;
    }
    default:
      return false;
  }
}

DiscoveryService::DiscoveryService(const ServerContext& context) : context_(context) {}

DiscoveryService::~DiscoveryService() {
  Stop();
  if (fd_ >= 0) ::close(fd_);
  for (int fd : wake_pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

bool DiscoveryService::Open(uint16_t port, std::string* error) {
  const std::string& listen = context_.config().listen_address;
  if (!ResolveIpv4(listen, &bound_address_)) {
    *error = listen + ": discovery needs an IPv4 address to listen on";
    return false;
  }
  if (::pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = bound_address_;
  addr.sin_port = htons(port);
  char text[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
  address_text_ = text;
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    *error = address_text_ + ":" + std::to_string(port) + " (UDP): " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  return true;
}

uint32_t DiscoveryService::LocalAddressToward(uint32_t peer, uint16_t peer_port) const {
  if (bound_address_ != htonl(INADDR_ANY)) return bound_address_;
  // Bound to every interface: the address the system would send from to
  // reach this peer, which is the one the peer can reach the server at.
  uint32_t local = htonl(INADDR_LOOPBACK);
  int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return local;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = peer;
  to.sin_port = peer_port != 0 ? peer_port : htons(9);
  sockaddr_in me{};
  socklen_t len = sizeof me;
  if (::connect(probe, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 &&
      ::getsockname(probe, reinterpret_cast<sockaddr*>(&me), &len) == 0) {
    local = me.sin_addr.s_addr;
  }
  ::close(probe);
  return local;
}

void DiscoveryService::Run() {
  uint8_t buffer[kSapDatagramSize];
  for (;;) {
    pollfd p[2] = {{fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    int r = ::poll(p, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 || (p[1].revents & POLLIN) != 0) return;
    for (;;) {
      sockaddr_in peer{};
      socklen_t peer_len = sizeof peer;
      ssize_t n =
          ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&peer), &peer_len);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;  // nothing more waiting (or an error to forget)
      SapDatagram reply;
      uint32_t local = LocalAddressToward(peer.sin_addr.s_addr, peer.sin_port);
      if (DiscoveryAnswer(context_, local, buffer, static_cast<size_t>(n), &reply)) {
        // A reply that cannot go out is dropped; the client asks again or
        // times out.
        ::sendto(fd_, reply.data(), reply.size(), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&peer), peer_len);
      }
    }
  }
}

void DiscoveryService::Start() {
  if (fd_ >= 0 && !thread_.joinable()) thread_ = std::thread(&DiscoveryService::Run, this);
}

void DiscoveryService::Stop() {
  if (wake_pipe_[1] >= 0) {
    char c = 's';
    ssize_t ignored = ::write(wake_pipe_[1], &c, 1);
    (void)ignored;
  }
  if (thread_.joinable()) thread_.join();
}

}  // namespace velsrv

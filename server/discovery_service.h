// The discovery service on UDP: answers a SAP_REQUEST_SERVERS with one
// SAP_RESPOND_SERVERS (the server_list setting, else this server), and
// each SAP_REQUEST_SOURCES with the piece of the offered data-source list
// at the requested offset. Bound to the listen address; runs on a thread of
// its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "server/server_context.h"
#include "wire/sap_datagram.h"

namespace velsrv {

// The answer to one datagram, false when it asks for none. `local_address`
// (network order) is this server's address as the sender reaches it.
bool DiscoveryAnswer(const ServerContext& context, uint32_t local_address, const uint8_t* data,
                     size_t size, SapDatagram* reply);

class DiscoveryService {
 public:
  explicit DiscoveryService(const ServerContext& context);
  ~DiscoveryService();
  DiscoveryService(const DiscoveryService&) = delete;
  DiscoveryService& operator=(const DiscoveryService&) = delete;

  // Binds to the listen address at `port` (0: an ephemeral one). False
  // with a message when it cannot.
  bool Open(uint16_t port, std::string* error);
  uint16_t port() const { return port_; }
  const std::string& address() const { return address_text_; }

  // Answers datagrams on a thread of its own until Stop.
  void Start();
  void Stop();

 private:
  void Run();
  uint32_t LocalAddressToward(uint32_t peer, uint16_t peer_port) const;

  const ServerContext& context_;
  int fd_ = -1;
  int wake_pipe_[2] = {-1, -1};
  uint32_t bound_address_ = 0;  // network order
  std::string address_text_;
  uint16_t port_ = 0;
  std::thread thread_;
};

}  // namespace velsrv

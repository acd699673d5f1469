// UDP discovery as a state machine: a broadcast asks the servers' discovery
// services for their server list (only the first answer counts), each
// server listed is then asked for its data sources, piece by piece, until
// every list is whole or nothing has been heard for SvcClntTimeOut seconds.
// Time comes in from outside (seconds of a monotonic clock) and datagrams
// go out through a sender, so the same machine runs under the poll loop
// of CspEnumByUdp and under a test's fake clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/trace.h"
#include "tools/shared/server_entry.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"
#include "wire/sap_datagram.h"

class DatagramSender {
 public:
  virtual ~DatagramSender() = default;
  // Sends one datagram to address:port (both network order). False, with
  // the socket error in *error, when it could not be sent.
  virtual bool Send(uint32_t address, uint16_t port, const SapDatagram& datagram,
                    int32_t* error) = 0;
};

class UdpDiscovery {
 public:
  // Collects into the caller's empty `servers`; requests go to
  // settings.svc_port.
  UdpDiscovery(const ToolEnv& env, const ServiceSettings& settings, ServerEntries* servers,
               DatagramSender& sender, TraceHandle* trace);

  // Broadcasts SAP_REQUEST_SERVERS; `now` starts the silence count.
  void Start(uint32_t now);
  // One datagram of `size` bytes from `sender_address` (network order).
  void CspOnDatagram(uint32_t now, const uint8_t* data, size_t size, uint32_t sender_address);
  // The periodic check: ends the run once more than the time-out has
  // passed since the start or the last datagram.
  void OnTick(uint32_t now);

  bool done() const { return done_; }
  // kCspDone, or kCspSocketError / kCspTimedOut; meaningful once done.
  int32_t result() const { return result_; }

 private:
  void OnServers(const uint8_t* data, size_t size, uint32_t sender_address);
  void OnSources(const uint8_t* data, size_t size, uint32_t sender_address);
  bool RequestSources(size_t index);
  void Finish(int32_t result);
  std::string Describe(uint32_t address) const;

  const ToolEnv& env_;
  ServerEntries* servers_;
  DatagramSender& sender_;
  TraceHandle* trace_;
  uint16_t svc_port_;  // network order
  uint32_t time_out_;
  uint32_t last_activity_ = 0;
  bool server_list_received_ = false;
  bool done_ = false;
  int32_t result_ = 0;
  // Per entry: a request has gone out and its piece not yet come. The
  // pieces carry no offset, so exactly one piece is taken per request.
  std::vector<bool> awaiting_;
};

#include "tools/shared/udp_discovery_run.h"

#include <new>
#include <string>
#include <vector>

#include "platform/udp_socket.h"
#include "tools/shared/resolver.h"
#include "tools/shared/tcp_discovery.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/udp_discovery.h"

namespace {

class SocketSender : public DatagramSender {
 public:
  explicit SocketSender(PlatSocket s) : s_(s) {}
  bool Send(uint32_t address, uint16_t port, const SapDatagram& datagram, int32_t* error) override {
    PlatInetAddress to{address, port};
    if (PlatSendTo(s_, datagram.data(), datagram.size(), &to)) return true;
    *error = PlatSockLastError();
    return false;
  }

 private:
  PlatSocket s_;
};

// How this client names itself in the trace.
std::string DescribeClient() {
  std::string host;
  if (!ToolHostName(&host)) return "<gethostname failed>";
  std::vector<uint32_t> addresses;
  if (!ToolHostAddresses(host, &addresses) || addresses.empty())
    return host + " <gethostbyname failed>";
  return host + " (" + DottedAddress(addresses[0]) + ")";
}

// Opens the socket and runs the machine to its end.
int32_t Run(const ToolEnv& env, ServerEntries* servers, const ServiceSettings& settings,
            TraceHandle* trace, PlatSocket s) {
  if (trace != nullptr) {
    TracePrintf(trace, "\nCSP: Broadcasting enabled. This client is %s.\n",
                DescribeClient().c_str());
  }
  if (!PlatSetBroadcast(s, static_cast<int>(settings.svc_enable_broadcasting))) {
    TracePrintf(trace, "\nCSP: setsockopt failed for SO_BROADCAST. Err Code = %d.\n",
                PlatSockLastError());
    return kCspSocketError;
  }
  PlatInetAddress any{0, 0};
  if (!PlatBindUdp(s, &any)) {
    TracePrintf(trace, "\nCSP: Bind failed. Err Code = %d.\n", PlatSockLastError());
    return kCspSocketError;
  }
  SocketSender sender(s);
  UdpDiscovery machine(env, settings, servers, sender, trace);
  const uint64_t tick = env.udp_tick_ms > 0 ? static_cast<uint64_t>(env.udp_tick_ms) : 5000;
  auto seconds = [](uint64_t ms) { return static_cast<uint32_t>(ms / 1000); };
  uint64_t now = PlatMonotonicMillis();
  uint64_t next_tick = now + tick;
  machine.Start(seconds(now));
  uint8_t buffer[kSapDatagramSize];
  while (!machine.done()) {
    now = PlatMonotonicMillis();
    if (now >= next_tick) {
      machine.OnTick(seconds(now));
      next_tick = now + tick;
      continue;
    }
    int ready = PlatWaitReadable(s, static_cast<int>(next_tick - now));
    if (ready < 0) return kCspSocketError;
    while (ready > 0 && !machine.done()) {
      PlatInetAddress from{};
      int64_t n = PlatRecvFrom(s, buffer, sizeof buffer, &from);
      if (n < 0) return kCspSocketError;
      if (n == 0) break;
      machine.CspOnDatagram(seconds(PlatMonotonicMillis()), buffer, static_cast<size_t>(n),
                            from.address);
    }
  }
  return machine.result();
}

}  // namespace

int32_t CspEnumByUdp(const ToolEnv& env, ServerEntries* servers, const ServiceSettings& settings) {
  TraceHandle* trace = OpenCspTrace(env);
  int32_t result = kCspSocketError;
  PlatSocket s = PlatSocketUdp();
  if (s != kPlatNoSocket) {
    try {
      result = Run(env, servers, settings, trace, s);
    } catch (const std::bad_alloc&) {
      result = kCspNoMemory;
    }
    PlatCloseSocket(s);
  }
  TraceClose(trace);
  if (result >= 0 && CountOfferedDataSources(*servers) == 0) result = kCspNothingFound;
  if (result < 0) {
    for (ServerEntry& e : *servers) {
      e.offered.clear();
      e.offered.shrink_to_fit();
    }
  }
  return result;
}

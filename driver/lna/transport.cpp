#include "driver/lna/transport.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/net_stash.h"
#include "driver/lna/protocol_trace.h"
#include "driver/lna/proxy.h"
#include "driver/lna/server_address.h"
#include "platform/env.h"
#include "wire/msg_buf.h"

namespace {

std::once_flag g_started;
std::atomic<uint32_t> g_accepted_peer{0};

std::mutex g_real_server_mutex;
char g_real_server[kNetMaxRealServer + 1];

bool TraceIo() {
  return (ProtocolTraceLevel() & kProtocolTraceIo) != 0;
}

unsigned long Hex(const void* p) {
  return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}

void Wait(uint32_t milliseconds) {
  PlatformEnvGet().SleepMs(milliseconds);
}

void SetRealServer(const char* host_port) {
  char text[kNetMaxRealServer + 1];
  NetRealServerText(host_port, text);
  std::lock_guard<std::mutex> hold(g_real_server_mutex);
  std::memcpy(g_real_server, text, sizeof text);
}

NetSocket ConnectTo(const char* address, const NetDeadline& deadline) {
  PlatInetAddress to{};
  if (!NetResolveAddress(address, &to)) return kNetNoSocket;
  NetSocket s = PlatSocketTcp();
  if (s == kNetNoSocket) {
    NetMapError();
    return kNetNoSocket;
  }
  if (!NetConnectRetry(s, &to, deadline)) {
    PlatCloseSocket(s);
    return kNetNoSocket;
  }
  // A descriptor closed by other means than NetClose must not pass on
  // what arrived for its earlier socket.
  NetStashDrop(s);
  return s;
}

}  // namespace

NetTransport* GetTcpTransport() {
  auto* table = static_cast<NetTransport*>(MemAlloc(sizeof(NetTransport)));
  if (table == nullptr) {
    TlsSlotSet(kWireErrNoMemory);
    return nullptr;
  }
  table->reserved = nullptr;
  table->accept = hNetAccept;
  table->close = NetClose;
  table->send = i32NetSend;
  table->read = i32NetRead;
  table->peer_name = NetPeerName;
  return table;
}

int NetStartup() {
  int result = 1;
  // Tried once per process: later calls report success without a second
  // attempt, as the system's own start-up does.
  std::call_once(g_started, [&result] {
    int32_t rc = PlatNetStartup();
    if (rc == 0) return;
    uint32_t code = kNetErrUnknown;
    if (rc == kWsaVerNotSupported) {
      code = 146;
    } else if (rc == kWsaSysNotReady) {
      code = 145;
    } else if (rc == kWsaEinval) {
      code = kNetErrInvalid;
    }
    TlsSlotSet(code);
    result = 0;
  });
  return result;
}

NetSocket hNetConnect(const char* host_port, const NetDeadline& deadline) {
  OpenProtocolTrace();
  if (!NetStartup()) return kNetNoSocket;
  TraceHandle* trace = ProtocolTrace();
  TraceEnter(trace, "hNetConnect: pszHostPort = %s", host_port != nullptr ? host_port : "");

  char proxy[2 * 128 + 2];
  const char* address = host_port;
  if (NetProxyAddress(proxy, sizeof proxy)) address = proxy;

  SetRealServer(host_port);
  char real[kNetMaxRealServer + 1];
  NetRealServerText(host_port, real);
  TracePrintf(trace, "  _RealServer = %s.\n", real);
  TracePrintf(trace, "  Using host = %s.\n", address != nullptr ? address : "");

  NetSocket s = kNetNoSocket;
  if (address == nullptr || std::strlen(address) > kNetMaxAddress) {
    TlsSlotSet(kNetErrHostNotFound);
  } else {
    s = ConnectTo(address, deadline);
  }
  TraceReturn(trace, "iNetConnect", s);
  return s;
}

int NetConnectRetry(NetSocket s, const PlatInetAddress* address, const NetDeadline& deadline) {
  uint32_t wait = kNetFirstRetryWaitMs;
  for (int attempt = 1; attempt <= kNetConnectAttempts; ++attempt) {
    uint32_t left = deadline.LeftMs();
    if (attempt > 1) {
      // A retry that could not begin before the deadline is not waited
      // for: the last failure's code says why the connect failed.
      if (wait >= left) return 0;
      Wait(wait);
      wait *= 2;
      left = deadline.LeftMs();
    }
    if (left == 0) {
      if (attempt == 1) TlsSlotSet(kNetErrTimedOut);
      return 0;
    }
    int timeout = left < static_cast<uint32_t>(kNetConnectAttemptMs) ? static_cast<int>(left)
                                                                     : kNetConnectAttemptMs;
    if (PlatformEnvGet().Connect(s, address, timeout)) {
      TlsSlotSet(kNetErrNone);
      return 1;
    }
    NetMapError();
    uint32_t code = TlsSlotGet();
    if (code != kNetErrTimedOut && code != kNetErrRefused) return 0;
  }
  TlsSlotSet(kNetErrRefused);
  return 0;
}

int32_t i32NetSend(NetSocket s, const void* data, int32_t n) {
  TraceHandle* trace = ProtocolTrace();
  bool io = TraceIo();
  if (io)
    TraceEnter(trace, "i32NetSend(0x%08lx, 0x%08lx, %d)", static_cast<unsigned long>(s), Hex(data),
               n);
  int32_t result = n;
  if (n > 0 && PlatSend(s, data, static_cast<size_t>(n)) < 0) {
    TracePrintf(trace, "  send failed in i32NetSend.\n");
    NetMapError();
    result = -1;
  }
  if (io) TraceReturn(trace, "i32NetSend", result);
  return result;
}

int32_t i32NetRead(NetSocket s, void* buffer, int32_t n) {
  if (n < 1) return 0;
  TraceHandle* trace = ProtocolTrace();
  bool io = TraceIo();
  if (io)
    TraceEnter(trace, "i32NetRead(0x%08lx, 0x%08lx, %d)", static_cast<unsigned long>(s),
               Hex(buffer), n);
  int32_t result = NetStashRead(s, buffer, n);
  if (result == 0) TracePrintf(trace, "  Connection closed in i32NetRead.\n");
  if (io) TraceReturn(trace, "i32NetRead", result);
  return result;
}

void NetBoundReceives(NetSocket s, uint32_t ms) {
  NetStashBound(s, ms);
}

int NetWaitReadable(NetSocket s, uint32_t ms) {
  return NetStashWait(s, ms);
}

void NetClose(NetSocket s) {
  if (s == kNetNoSocket) return;
  NetStashDrop(s);
  PlatCloseSocket(s);
}

void NetCloseHandle(NetSocket s, const NetTransport* table) {
  if (s != kNetNoSocket && table != nullptr && table->close != nullptr) table->close(s);
}

NetSocket hNetAccept(NetSocket listener) {
  NetStartup();
  NetSocket s = PlatAccept(listener);
  if (s == kNetNoSocket) {
    NetMapError();
    return kNetNoSocket;
  }
  uint32_t peer = 0;
  if (PlatPeerAddress(s, &peer)) g_accepted_peer.store(peer);
  return s;
}

int NetPeerName(NetSocket s, int kind, char* buffer, uint32_t* size) {
  if (kind == kNetPeerAddress) {
    uint32_t peer = 0;
    if (buffer == nullptr || !PlatPeerAddress(s, &peer)) return 0;
    PlatInetText(peer, buffer);
    return 1;
  }
  if (kind == kNetRealServer) {
    std::lock_guard<std::mutex> hold(g_real_server_mutex);
    size_t length = std::strlen(g_real_server);
    if (buffer != nullptr && size != nullptr && *size > length) {
      std::memcpy(buffer, g_real_server, length + 1);
    }
    return 1;
  }
  return 0;
}

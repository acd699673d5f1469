// The TCP transport under the RPC connection: a retried connect (directly or
// through the tunnelling proxy), whole sends, exact-length reads, and the
// table of operations the upper layers call through. Every failure leaves
// its code (net_error.h) in the calling thread's last error.
#pragma once

#include <cstdint>

#include "driver/lna/net_deadline.h"
#include "platform/net_socket.h"

// A transport handle is the socket itself; descriptor 0 is a valid socket.
using NetSocket = PlatSocket;
constexpr NetSocket kNetNoSocket = kPlatNoSocket;

// What NetPeerName reports.
enum : int {
  kNetPeerAddress = 4,  // the peer's dotted IPv4 address
  kNetRealServer = 5,   // the server text the last connect was asked for
};

// How long one connect attempt may take: ten attempts and the waits
// between them stay within a minute, and within the caller's deadline.
constexpr int kNetConnectAttemptMs = 5000;
constexpr int kNetConnectAttempts = 10;
constexpr uint32_t kNetFirstRetryWaitMs = 10;

// The transport's operations, in their slot order.
struct NetTransport {
  void* reserved;  // always null
  NetSocket (*accept)(NetSocket listener);
  void (*close)(NetSocket s);
  int32_t (*send)(NetSocket s, const void* data, int32_t n);
  int32_t (*read)(NetSocket s, void* buffer, int32_t n);
  int (*peer_name)(NetSocket s, int kind, char* buffer, uint32_t* size);
};

// A new table of the TCP operations (MemFree), or null (code 2).
NetTransport* GetTcpTransport();

// Readies the socket layer once per process. 1, or 0 with its code.
int NetStartup();

// Connects to "host:port" or "host.port", or through the proxy when one is
// configured, by the deadline. The socket, or kNetNoSocket.
NetSocket hNetConnect(const char* host_port, const NetDeadline& deadline = {});
// Up to kNetConnectAttempts connects; refused and timed-out attempts are
// repeated after waits of 10 ms doubling each time, as long as the deadline
// leaves time. 1 (last error 0), or 0: 133 when every attempt failed, the
// last attempt's code (refused 133, timed out 132) when the deadline
// passed, else the first other error's code.
int NetConnectRetry(NetSocket s, const PlatInetAddress* address, const NetDeadline& deadline = {});

// All n bytes, or -1.
int32_t i32NetSend(NetSocket s, const void* data, int32_t n);
// Exactly n bytes, from what has arrived on the socket (net_stash.h): n; 0
// when the peer closed first (code 152) or n < 1; -1 on a socket error.
int32_t i32NetRead(NetSocket s, void* buffer, int32_t n);
// Bounds each later read of `s` to `ms` milliseconds (0: none); a read
// whose bytes take longer fails with code 132.
void NetBoundReceives(NetSocket s, uint32_t ms);
// What NetWaitReadable takes for a wait without a bound.
constexpr uint32_t kNetWaitForever = kPlatWaitForever;
// Waits up to `ms` for `s` to have something to read: 1 when it has, 0 when
// the time passed (code 132), -1 on error.
int NetWaitReadable(NetSocket s, uint32_t ms);
// Closes the socket and drops what arrived on it unread.
void NetClose(NetSocket s);
// Closes through the table's close slot; kNetNoSocket or a null table or
// slot does nothing.
void NetCloseHandle(NetSocket s, const NetTransport* table);
// The server side's accept; records the peer's address. kNetNoSocket on
// failure.
NetSocket hNetAccept(NetSocket listener);
// Kind 4: the peer's dotted address (the buffer holds 16 bytes). Kind 5: the
// real server text, copied when the buffer's *size exceeds its length. 1, or
// 0 for a failed look-up or another kind.
int NetPeerName(NetSocket s, int kind, char* buffer, uint32_t* size);

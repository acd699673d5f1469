// IPv4 datagram sockets for the discovery service: one socket, datagrams
// to and from it, and a wait for the next one. Failures leave the socket
// error (kWsa..., platform/net_socket.h) for PlatSockLastError.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/net_socket.h"

// A new non-blocking datagram socket, or kPlatNoSocket.
PlatSocket PlatSocketUdp();
// Allows (or forbids) sending to broadcast addresses. 1 or 0.
int PlatSetBroadcast(PlatSocket s, int allow);
// Binds to the address and port (network order; 0 for any). 1 or 0.
int PlatBindUdp(PlatSocket s, const PlatInetAddress* at);
// Sends one datagram. 1, or 0 when it could not be sent whole.
int PlatSendTo(PlatSocket s, const void* data, size_t n, const PlatInetAddress* to);
// Receives one datagram of at most n bytes (a longer one is cut): its
// length and sender, 0 when none is waiting, -1 on error.
int64_t PlatRecvFrom(PlatSocket s, void* buffer, size_t n, PlatInetAddress* from);
// Waits until a datagram is waiting or timeout_ms passes: 1 readable,
// 0 timed out, -1 on error. Interrupted waits count as timed out.
int PlatWaitReadable(PlatSocket s, int timeout_ms);
// Milliseconds of a clock that never goes back, for time-outs.
uint64_t PlatMonotonicMillis();

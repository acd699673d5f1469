// TCP sockets for the remote-call client, in the numbering the client's
// transport errors derive from: every failure leaves the Windows socket error
// number of its cause (kWsa...) as the calling thread's socket error, read
// with PlatSockLastError, whatever the system reported it as.
#pragma once

#include <cstddef>
#include <cstdint>

// A socket descriptor. Descriptor 0 is a valid socket; kPlatNoSocket is none.
using PlatSocket = int;
constexpr PlatSocket kPlatNoSocket = -1;

// An IPv4 endpoint.
struct PlatInetAddress {
  uint32_t address;  // network byte order
  uint16_t port;
};

// Windows socket error numbers.
enum : int32_t {
  kWsaEintr = 10004,
  kWsaEbadf = 10009,
  kWsaEacces = 10013,
  kWsaEfault = 10014,
  kWsaEinval = 10022,
  kWsaEmfile = 10024,
  kWsaEwouldblock = 10035,
  kWsaEinprogress = 10036,
  kWsaEalready = 10037,
  kWsaEnotsock = 10038,
  kWsaEdestaddrreq = 10039,
  kWsaEmsgsize = 10040,
  kWsaEprototype = 10041,
  kWsaEnoprotoopt = 10042,
  kWsaEprotonosupport = 10043,
  kWsaEsocktnosupport = 10044,
  kWsaEopnotsupp = 10045,
  kWsaEpfnosupport = 10046,
  kWsaEafnosupport = 10047,
  kWsaEaddrinuse = 10048,
  kWsaEaddrnotavail = 10049,
  kWsaEnetdown = 10050,
  kWsaEnetunreach = 10051,
  kWsaEnetreset = 10052,
  kWsaEconnaborted = 10053,
  kWsaEconnreset = 10054,
  kWsaEnobufs = 10055,
  kWsaEisconn = 10056,
  kWsaEnotconn = 10057,
  kWsaEshutdown = 10058,
  kWsaEtoomanyrefs = 10059,
  kWsaEtimedout = 10060,
  kWsaEconnrefused = 10061,
  kWsaEloop = 10062,
  kWsaEnametoolong = 10063,
  kWsaEhostdown = 10064,
  kWsaEhostunreach = 10065,
  kWsaEnotempty = 10066,
  kWsaEproclim = 10067,
  kWsaEusers = 10068,
  kWsaEdquot = 10069,
  kWsaEstale = 10070,
  kWsaEremote = 10071,
  kWsaSysNotReady = 10091,
  kWsaVerNotSupported = 10092,
  kWsaNotInitialised = 10093,
  kWsaEdiscon = 10101,
  kWsaHostNotFound = 11001,
  kWsaTryAgain = 11002,
  kWsaNoRecovery = 11003,
  kWsaNoData = 11004,
};

// The calling thread's socket error: the number the last failing call left.
int32_t PlatSockLastError();
void PlatSockSetLastError(int32_t error);
// The Windows socket error number of an errno value (0 for 0). A value
// without a socket meaning is returned as it is.
int32_t PlatSockErrorFromErrno(int error);

// Readies the socket layer for use: 0, or a socket error number.
int32_t PlatNetStartup();

// Resolves a dotted IPv4 address, else a host name (IPv4 only; safe on any
// thread). 1 with *address in network order, or 0.
int PlatResolveHost(const char* host, uint32_t* address);
// The port of a named service for `protocol` ("tcp"). 1,
// or 0 (kWsaNoData) when the services database does not list it.
int PlatResolveService(const char* name, const char* protocol, uint16_t* port);

// A new TCP stream socket with keep-alive probing switched on, so that a
// peer that vanishes without closing is noticed within minutes.
PlatSocket PlatSocketTcp();
// Connects, giving up after timeout_ms with kWsaEtimedout. After a failed
// attempt the socket can be connected again.
int PlatConnect(PlatSocket s, const PlatInetAddress* to, int timeout_ms);
// One or more sends until all n bytes are gone: n, or -1. A peer that has
// gone away is an error (kWsaEconnreset), never a signal to the process.
int64_t PlatSend(PlatSocket s, const void* data, size_t n);
// One receive of at most n bytes: the bytes received, 0 when the peer
// closed, -1 on error. Interrupted receives are repeated.
int64_t PlatRecv(PlatSocket s, void* buffer, size_t n);
// The same without waiting: -1 with kWsaEwouldblock when nothing has
// arrived.
int64_t PlatRecvNow(PlatSocket s, void* buffer, size_t n);
// What PlatWaitReadable takes for a wait without a bound.
constexpr uint32_t kPlatWaitForever = UINT32_MAX;
// Waits up to `ms` milliseconds for `s` to have bytes (or its end) to read:
// 1 when it has, 0 when the time passed, -1 on error.
int PlatWaitReadable(PlatSocket s, uint32_t ms);
void PlatCloseSocket(PlatSocket s);
// Accepts a connection; kPlatNoSocket on failure.
PlatSocket PlatAccept(PlatSocket listener);
// The IPv4 address (network order) of the connected peer. 1, or 0.
int PlatPeerAddress(PlatSocket s, uint32_t* address);
// Dotted text of an IPv4 address (network order); `out` holds 16 bytes.
void PlatInetText(uint32_t address, char* out);

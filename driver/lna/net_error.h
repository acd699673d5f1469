// The transport's error codes, left in the calling thread's last error
// (TlsSlotGet) by every failing transport operation: 100 to 151 stand for
// socket errors, 152 for a connection the peer closed during a read.
#pragma once

#include <cstdint>

enum : uint32_t {
  kNetErrNone = 0,            // the last connect succeeded
  kNetErrUnknown = 100,       // a socket error without a code of its own
  kNetErrBadSocket = 102,     // no connection to send on or read from
  kNetErrInvalid = 105,       // an argument the socket layer refused
  kNetErrTimedOut = 132,      // a connect attempt timed out
  kNetErrRefused = 133,       // refused; also: every connect attempt failed
  kNetErrHostNotFound = 148,  // no such host, or a server text without a port
  kNetErrNoData = 151,        // the name is known but has no address or service
  kNetErrClosed = 152,        // the peer closed the connection during a read
};

// The code of a Windows socket error number.
uint32_t NetErrorCode(int32_t socket_error);
// Stores the code of the calling thread's last socket error as its last
// error.
void NetMapError();

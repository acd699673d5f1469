#include "driver/lna/net_error.h"

#include "common/tls_slot.h"
#include "platform/net_socket.h"

uint32_t NetErrorCode(int32_t e) {
  switch (e) {
    case kWsaEintr:
      return 101;
    case kWsaEbadf:
      return 102;
    case kWsaEacces:
      return 103;
    case kWsaEfault:
      return 104;
    case kWsaEinval:
      return 105;
    case kWsaEmfile:
      return 106;
    case kWsaEdiscon:
      return 144;
    case kWsaSysNotReady:
      return 145;
    case kWsaVerNotSupported:
      return 146;
    case kWsaNotInitialised:
      return 147;
    default:
      break;
  }
  if (e >= kWsaEwouldblock && e <= kWsaEremote) return static_cast<uint32_t>(e - 9928);
  if (e >= kWsaHostNotFound && e <= kWsaNoData) return static_cast<uint32_t>(e - 11001 + 148);
  return kNetErrUnknown;
}

void NetMapError() {
  TlsSlotSet(NetErrorCode(PlatSockLastError()));
}

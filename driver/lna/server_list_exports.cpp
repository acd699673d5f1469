#include "driver/lna/server_list_exports.h"

#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/rpc_stub.h"
#include "wire/protocol.h"

namespace {

constexpr int16_t kRpcNoServer = 3;

int BadReply() {
  TlsSlotSet(kWireErrBadRead);
  return 0;
}

}  // namespace

int16_t _rpcServGetServerList(const char* server, const char* request, char* buffer, int32_t size) {
  if (buffer == nullptr) size = 0;
  return RpcRunOwn(
      server, kRpcNoServer, kRpcGetServerList,
      [&](MsgBuf* b) { return MsgBufPutString(b, request) && MsgBufPutI32(b, size); },
      [&](MsgBuf* b) {
        char* text;
        if (!MsgBufGetString(b, &text)) return 0;
        // Nothing reaches the caller's buffer unless the whole reply is good.
        int ok = MsgBufAllRead(b);
        if (ok && text != nullptr) {
          size_t length = std::strlen(text);
          if (size < 1 || length > static_cast<size_t>(size) - 1) {
            ok = BadReply();
          } else {
            std::memcpy(buffer, text, length + 1);
          }
        }
        MemFree(text);
        return ok;
      });
}

int16_t _rpcServGetDataSources(const char* server, const char* request, uint8_t* buffer,
                               int32_t* size) {
  if (size == nullptr) {
    TlsSlotSet(kNetErrInvalid);
    return kRpcFailed;
  }
  int32_t room = buffer != nullptr ? *size : 0;
  return RpcRunOwn(
      server, kRpcNoServer, kRpcGetDataSources,
      [&](MsgBuf* b) { return MsgBufPutString(b, request) && MsgBufPutI32(b, *size); },
      [&](MsgBuf* b) {
        int32_t n;
        if (!MsgBufGetI32(b, &n)) return 0;
        // Exactly n bytes must follow, and they must fit.
        if (n < 0 || n > room || b->write_len - b->read_pos != static_cast<uint32_t>(n)) {
          return BadReply();
        }
        if (n > 0) std::memcpy(buffer, b->data + b->read_pos, static_cast<size_t>(n));
        b->read_pos += static_cast<uint32_t>(n);
        *size = n;
        return 1;
      });
}

#include "driver/lna/server_list_exports.h"

#include <cstring>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"
#include "wire/server_list_calls.h"

namespace {

constexpr int16_t kRpcNoServer = 3;

int BadReply() {
  TlsSlotSet(kWireErrBadRead);
  return 0;
}

}  // namespace

int16_t _rpcServGetServerList(const char* server, const char* request, char* buffer, int32_t size) {
  if (buffer == nullptr) size = 0;
  ServerListRequest sent{TextOrNull(request), size};
  return RpcRunOwn(
      server, kRpcNoServer, kRpcGetServerList, [&](MsgBuf* b) { return Encode(b, sent); },
      [&](MsgBuf* b) {
        ServerListReply reply;
        // Nothing reaches the caller's buffer unless the whole reply is good.
        if (!Decode(b, &reply) || !MsgBufAllRead(b)) return 0;
        if (reply.list) {
          size_t length = reply.list->size();
          if (size < 1 || length > static_cast<size_t>(size) - 1) return BadReply();
          std::memcpy(buffer, reply.list->c_str(), length + 1);
        }
        return 1;
      });
}

int16_t _rpcServGetDataSources(const char* server, const char* request, uint8_t* buffer,
                               int32_t* size) {
  if (size == nullptr) {
    TlsSlotSet(kNetErrInvalid);
    return kReplyFailed;
  }
  int32_t room = buffer != nullptr ? *size : 0;
  ServerListRequest sent{TextOrNull(request), *size};
  return RpcRunOwn(
      server, kRpcNoServer, kRpcGetDataSources, [&](MsgBuf* b) { return Encode(b, sent); },
      [&](MsgBuf* b) {
        DataSourcesReply reply;
        // Exactly the announced bytes must follow, and they must fit.
        if (!Decode(b, &reply) || !MsgBufAllRead(b)) return 0;
        if (reply.bytes.size() > static_cast<size_t>(room)) return BadReply();
        if (!reply.bytes.empty()) std::memcpy(buffer, reply.bytes.data(), reply.bytes.size());
        *size = static_cast<int32_t>(reply.bytes.size());
        return 1;
      });
}

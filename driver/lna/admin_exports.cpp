#include "driver/lna/admin_exports.h"

#include "common/tls_slot.h"
#include "driver/lna/rpc_stub.h"
#include "wire/admin_calls.h"
#include "wire/calls.h"
#include "wire/protocol.h"

int16_t _rpcLnaEnumUsersXP(const char* server, LnaUserList** users) {
  *users = nullptr;
  EnumUsersReply reply;
  int16_t status = RpcRunOwn(
      server, kReplyFailed, kRpcEnumUsers, RpcNoFields,
      [&](MsgBuf* b) { return Decode(b, &reply); }, [&] { FreeUserLists(&reply); });
  if (status < 0)
    FreeUserLists(&reply);
  else
    *users = reply.lists;
  return status;
}

int16_t _rpcLnaKillConnectionsXP(const char* server, const LnaPairList* element) {
  return RpcRunOwn(
      server, kReplyFailed, kRpcKillConnections,
      [&](MsgBuf* b) {
        KillConnectionsRequest request;
        if (element != nullptr) {
          if (element->count > 0 && element->pairs == nullptr) {  // pairs it does not have
            TlsSlotSet(kWireErrCannotGrow);
            return 0;
          }
          request.connections.emplace(element->pairs, element->pairs + element->count);
        }
        return Encode(b, request);
      },
      RpcNoFields);
}

int16_t _rpcLnaShutdownXP(const char* server, uint16_t mode) {
  return RpcRunOwn(
      server, kReplyFailed, kRpcShutdown,
      [&](MsgBuf* b) { return Encode(b, ShutdownRequest{mode}); }, RpcNoFields);
}

#include "driver/lna/admin_exports.h"

#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"

namespace {

int NoFields(MsgBuf*) {
  return 1;
}

void FreeUsers(LnaUserList** users) {
  MsgBufFreeArray(*users, sizeof(LnaUserList), MsgBufRelease<XdrFreeUserList>);
  *users = nullptr;
}

}  // namespace

int16_t _rpcLnaEnumUsersXP(const char* server, LnaUserList** users) {
  *users = nullptr;
  int16_t status = RpcRunOwn(
      server, kRpcFailed, kRpcEnumUsers, NoFields,
      [&](MsgBuf* b) {
        void* array;
        if (!MsgBufGetArray(b, &array, MsgBufGetElem<XdrUserList>, sizeof(LnaUserList), nullptr,
                            MsgBufRelease<XdrFreeUserList>)) {
          return 0;
        }
        *users = static_cast<LnaUserList*>(array);
        return 1;
      },
      [&] { FreeUsers(users); });
  if (status < 0) FreeUsers(users);
  return status;
}

int16_t _rpcLnaKillConnectionsXP(const char* server, const LnaPairList* element) {
  return RpcRunOwn(
      server, kRpcFailed, kRpcKillConnections,
      [&](MsgBuf* b) {
        return MsgBufPutArray(b, element, MsgBufPutElem<XdrPutPairArray>, sizeof(LnaPairList), 1);
      },
      NoFields);
}

int16_t _rpcLnaShutdownXP(const char* server, uint16_t mode) {
  return RpcRunOwn(
      server, kRpcFailed, kRpcShutdown, [&](MsgBuf* b) { return Encode(b, ShutdownRequest{mode}); },
      NoFields);
}

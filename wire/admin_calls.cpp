#include "wire/admin_calls.h"

#include "common/tls_slot.h"

int Encode(MsgBuf* buf, const EnumUsersReply& reply) {
  return MsgBufPutArray(buf, reply.lists, MsgBufPutElem<XdrPutUserList>, sizeof(LnaUserList),
                        static_cast<int32_t>(reply.count));
}

int Decode(MsgBuf* buf, EnumUsersReply* reply) {
  *reply = EnumUsersReply{};
  void* array;
  if (!MsgBufGetArray(buf, &array, MsgBufGetElem<XdrUserList>, sizeof(LnaUserList), &reply->count,
                      MsgBufRelease<XdrFreeUserList>)) {
    return 0;
  }
  reply->lists = static_cast<LnaUserList*>(array);
  return 1;
}

void FreeUserLists(EnumUsersReply* reply) {
  MsgBufFreeArray(reply->lists, sizeof(LnaUserList), MsgBufRelease<XdrFreeUserList>);
  *reply = EnumUsersReply{};
}

int Encode(MsgBuf* buf, const KillConnectionsRequest& request) {
  if (!request.connections) return MsgBufPutArray(buf, nullptr, nullptr, sizeof(LnaPairList), 0);
  const std::vector<LnaPair>& pairs = *request.connections;
  if (pairs.size() > UINT16_MAX) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  LnaPairList list{static_cast<uint16_t>(pairs.size()),
                   const_cast<LnaPair*>(pairs.empty() ? nullptr : pairs.data())};
  return MsgBufPutArray(buf, &list, MsgBufPutElem<XdrPutPairArray>, sizeof(LnaPairList), 1);
}

int Decode(MsgBuf* buf, KillConnectionsRequest* request) {
  request->connections.reset();
  void* array;
  uint32_t count;
  if (!MsgBufGetArray(buf, &array, MsgBufGetElem<XdrGetPairArray>, sizeof(LnaPairList), &count,
                      MsgBufRelease<XdrFreePairList>)) {
    return 0;
  }
  auto* lists = static_cast<LnaPairList*>(array);
  int ok = count <= 1;
  if (count == 1) request->connections.emplace(lists[0].pairs, lists[0].pairs + lists[0].count);
  MsgBufFreeArray(array, sizeof(LnaPairList), MsgBufRelease<XdrFreePairList>);
  if (!ok) TlsSlotSet(kWireErrBadRead);
  return ok;
}

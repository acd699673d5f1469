#include "driver/lna/option_stubs.h"

#include "driver/lna/rpc_stub.h"
#include "wire/protocol.h"

namespace {

// The reply's value goes to the caller only with a status that is not
// negative, whoever failed the call; otherwise the reply frees it.
int16_t HandOut(int16_t status, std::optional<WireValue>* received, LnaTypedValue* value) {
  if (status >= 0 && *received) *value = (*received)->Release();
  return status;
}

int16_t GetOption(RpcConnection** handle, uint32_t procedure, const GetOptionRequest& request,
                  LnaTypedValue* value) {
  *value = LnaTypedValue{};
  GetOptionReply reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), procedure, [&](MsgBuf* b) { return Encode(b, request); },
      [&](MsgBuf* b) { return Decode(b, &reply); });
  return HandOut(status, &reply.value, value);
}

int16_t SetOption(RpcConnection** handle, uint32_t procedure, const SetOptionRequest& request) {
  return RpcRun(
      RpcHandleConn(handle), procedure, [&](MsgBuf* b) { return Encode(b, request); }, RpcNoFields);
}

}  // namespace

int16_t _rpcLnaGetConnectOptionMP(RpcConnection** handle, const GetOptionRequest& request,
                                  LnaTypedValue* value) {
  return GetOption(handle, kRpcGetConnectOption, request, value);
}

int16_t _rpcLnaGetInfoSP(RpcConnection** handle, const GetInfoRequest& request,
                         LnaTypedValue* value, int32_t* full_length) {
  *value = LnaTypedValue{};
  GetInfoReply reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcGetInfo, [&](MsgBuf* b) { return Encode(b, request); },
      [&](MsgBuf* b) { return Decode(b, &reply); });
  *full_length = reply.full_length;
  return HandOut(status, &reply.value, value);
}

int16_t _rpcLnaGetStmtOptionSP(RpcConnection** handle, const GetOptionRequest& request,
                               LnaTypedValue* value) {
  return GetOption(handle, kRpcGetStmtOption, request, value);
}

int16_t _rpcLnaSetConnectOptionMP(RpcConnection** handle, const SetOptionRequest& request) {
  return SetOption(handle, kRpcSetConnectOption, request);
}

int16_t _rpcLnaSetStmtOptionSP(RpcConnection** handle, const SetOptionRequest& request) {
  return SetOption(handle, kRpcSetStmtOption, request);
}

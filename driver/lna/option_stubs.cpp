#include "driver/lna/option_stubs.h"

#include "common/tls_slot.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/option_calls.h"
#include "wire/protocol.h"

namespace {

int NoFields(MsgBuf*) {
  return 1;
}

// The reply's value goes to the caller only with a status that is not
// negative, whoever failed the call; otherwise the reply frees it.
int16_t HandOut(int16_t status, std::optional<WireValue>* received, LnaTypedValue* value) {
  if (status >= 0 && *received) *value = (*received)->Release();
  return status;
}

int16_t GetOption(RpcConnection** handle, uint32_t procedure, int32_t id, uint16_t option,
                  LnaTypedValue* value) {
  *value = LnaTypedValue{};
  GetOptionReply reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) {
        return Encode(b, GetOptionRequest{id, option});
      },
      [&](MsgBuf* b) { return Decode(b, &reply); });
  return HandOut(status, &reply.value, value);
}

int16_t SetOption(RpcConnection** handle, uint32_t procedure, int32_t id, uint16_t option,
                  const LnaTypedValue* value) {
  return RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) {
        if (value == nullptr) {  // there is nothing to send
          TlsSlotSet(kWireErrCannotGrow);
          return 0;
        }
        return Encode(b, SetOptionRequest{id, option, WireValue::Refer(*value)});
      },
      NoFields);
}

}  // namespace

int16_t _rpcLnaGetConnectOptionMP(RpcConnection** handle, int32_t server_conn, uint16_t option,
                                  LnaTypedValue* value) {
  return GetOption(handle, kRpcGetConnectOption, server_conn, option, value);
}

int16_t _rpcLnaGetInfoSP(RpcConnection** handle, int32_t server_conn, uint16_t info_type,
                         int32_t buffer_size, LnaTypedValue* value, int32_t* full_length) {
  *value = LnaTypedValue{};
  GetInfoReply reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcGetInfo,
      [&](MsgBuf* b) {
        return Encode(b, GetInfoRequest{server_conn, info_type, buffer_size});
      },
      [&](MsgBuf* b) { return Decode(b, &reply); });
  *full_length = reply.full_length;
  return HandOut(status, &reply.value, value);
}

int16_t _rpcLnaGetStmtOptionSP(RpcConnection** handle, int32_t server_stmt, uint16_t option,
                               LnaTypedValue* value) {
  return GetOption(handle, kRpcGetStmtOption, server_stmt, option, value);
}

int16_t _rpcLnaSetConnectOptionMP(RpcConnection** handle, int32_t server_conn, uint16_t option,
                                  const LnaTypedValue* value) {
  return SetOption(handle, kRpcSetConnectOption, server_conn, option, value);
}

int16_t _rpcLnaSetStmtOptionSP(RpcConnection** handle, int32_t server_stmt, uint16_t option,
                               const LnaTypedValue* value) {
  return SetOption(handle, kRpcSetStmtOption, server_stmt, option, value);
}

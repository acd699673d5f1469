#include "driver/lna/option_stubs.h"

#include "driver/lna/reply_parts.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"

namespace {

int NoFields(MsgBuf*) {
  return 1;
}

// The reply's array of values; the first is handed out.
int ReadFirstValue(MsgBuf* b, LnaTypedValue* value) {
  *value = LnaTypedValue{};
  void* array;
  uint32_t received;
  if (!MsgBufGetArray(b, &array, MsgBufGetElem<XdrTypedValue>, sizeof(LnaTypedValue), &received,
                      MsgBufRelease<XdrFreeTypedValue>)) {
    return 0;
  }
  auto* values = static_cast<LnaTypedValue*>(array);
  if (received > 0) {
    *value = values[0];
    values[0] = LnaTypedValue{};
  }
  MsgBufFreeArray(array, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);
  return 1;
}

// A failed call hands no value back, whoever failed it.
int16_t DropOnFailure(int16_t status, LnaTypedValue* value) {
  if (status < 0) {
    XdrFreeTypedValue(value);
    *value = LnaTypedValue{};
  }
  return status;
}

int16_t GetOption(RpcConnection** handle, uint32_t procedure, int32_t id, uint16_t option,
                  LnaTypedValue* value) {
  *value = LnaTypedValue{};
  int16_t status = RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) {
        return Encode(b, GetOptionRequest{id, option});
      },
      [&](MsgBuf* b) { return ReadFirstValue(b, value); }, [&] { XdrFreeTypedValue(value); });
  return DropOnFailure(status, value);
}

int16_t SetOption(RpcConnection** handle, uint32_t procedure, int32_t id, uint16_t option,
                  const LnaTypedValue* value) {
  return RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, id) && MsgBufPutU16(b, option) && PutValue(b, value);
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
  *full_length = 0;
  int16_t status = RpcRun(
      RpcHandleConn(handle), kRpcGetInfo,
      [&](MsgBuf* b) {
        return Encode(b, GetInfoRequest{server_conn, info_type, buffer_size});
      },
      [&](MsgBuf* b) { return ReadFirstValue(b, value) && MsgBufGetI32(b, full_length); },
      [&] { XdrFreeTypedValue(value); });
  return DropOnFailure(status, value);
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

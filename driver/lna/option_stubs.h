// The stubs of the option and information procedures. Values travel as
// typed values; a value handed back is the reply's first (XdrFreeTypedValue),
// and C type 0 when the reply holds none or the status is negative.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/typed_value.h"

// 19
int16_t _rpcLnaGetConnectOptionMP(RpcConnection** handle, int32_t server_conn, uint16_t option,
                                  LnaTypedValue* value);
// 20: `full_length` is the value's whole length on the server.
int16_t _rpcLnaGetInfoSP(RpcConnection** handle, int32_t server_conn, uint16_t info_type,
                         int32_t buffer_size, LnaTypedValue* value, int32_t* full_length);
// 22
int16_t _rpcLnaGetStmtOptionSP(RpcConnection** handle, int32_t server_stmt, uint16_t option,
                               LnaTypedValue* value);
// 33
int16_t _rpcLnaSetConnectOptionMP(RpcConnection** handle, int32_t server_conn, uint16_t option,
                                  const LnaTypedValue* value);
// 35
int16_t _rpcLnaSetStmtOptionSP(RpcConnection** handle, int32_t server_stmt, uint16_t option,
                               const LnaTypedValue* value);

// The stubs of the option and information procedures. Values travel as
// typed values; a value handed back is the reply's first (XdrFreeTypedValue),
// and C type 0 when the reply holds none or the status is negative.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/calls.h"
#include "wire/option_calls.h"
#include "wire/typed_value.h"

// 19: the request's handle is the server connection.
int16_t _rpcLnaGetConnectOptionMP(RpcConnection** handle, const GetOptionRequest& request,
                                  LnaTypedValue* value);
// 20: `full_length` is the value's whole length on the server.
int16_t _rpcLnaGetInfoSP(RpcConnection** handle, const GetInfoRequest& request,
                         LnaTypedValue* value, int32_t* full_length);
// 22: the request's handle is the server statement.
int16_t _rpcLnaGetStmtOptionSP(RpcConnection** handle, const GetOptionRequest& request,
                               LnaTypedValue* value);
// 33: the request's handle is the server connection.
int16_t _rpcLnaSetConnectOptionMP(RpcConnection** handle, const SetOptionRequest& request);
// 35: the request's handle is the server statement.
int16_t _rpcLnaSetStmtOptionSP(RpcConnection** handle, const SetOptionRequest& request);

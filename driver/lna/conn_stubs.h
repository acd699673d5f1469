// The stubs of the connection procedures: disconnect, diagnostics,
// transactions, and the cancel of a pending call, which travels on a
// connection of its own so that it can overtake the call it cancels.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/calls.h"
#include "wire/diag_record.h"

// 3: to `server` ("host:port" or "host.port"), all of it within `wait_ms`
// (0: no bound); -20 when it cannot be reached or does not answer in time.
int16_t _rpcLnaCancelPendingSP(const char* server, uint16_t cancel_key,
                               uint32_t wait_ms = kRpcDefaultWaitMs);
// 10: closes the RPC connection afterwards whatever the outcome, and clears
// the handle.
int16_t _rpcLnaDisconnectSP(RpcConnection** handle, int32_t server_conn);
// 12: copies up to kGetErrorsMaxRecords records into `records` and their
// number into *count: never more than the reply's count or its records.
int16_t _rpcLnaGetErrorsSP(RpcConnection** handle, int32_t server_conn, int32_t server_stmt,
                           LnaDiagRecord* records, uint16_t* count);
// 46: commit or roll back.
int16_t _rpcLnaTransactSP(RpcConnection** handle, int32_t server_conn, uint16_t type);

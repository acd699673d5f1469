// The stub of the catalog procedures (the request's procedure says which).
// It sends the request and hands back the result's column descriptions
// (MemFree) with their count, which never exceeds the array. The result is
// the server's status, or -20 for a local failure with the connection's
// error kind set.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/calls.h"
#include "wire/column_desc.h"

int16_t _rpcLnaCatalogSP(RpcConnection** handle, const CatalogRequest& request,
                         LnaColumnDesc** columns, uint16_t* count);

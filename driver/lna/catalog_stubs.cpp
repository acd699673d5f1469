#include "driver/lna/catalog_stubs.h"

#include "driver/lna/rpc_stub.h"
#include "wire/counted_array.h"

int16_t _rpcLnaCatalogSP(RpcConnection** handle, const CatalogRequest& request,
                         LnaColumnDesc** columns, uint16_t* count) {
  ColumnDescList reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), request.procedure, [&](MsgBuf* b) { return Encode(b, request); },
      [&](MsgBuf* b) { return Decode(b, &reply); },
      [&] { FreeCountedArray(&reply.columns, &reply.count); });
  *columns = reply.columns;
  *count = reply.count;
  return status;
}

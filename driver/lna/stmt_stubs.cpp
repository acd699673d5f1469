#include "driver/lna/stmt_stubs.h"

#include "common/tls_slot.h"
#include "driver/lna/reply_parts.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"

namespace {

int NoFields(MsgBuf*) {
  return 1;
}

// Fetch requests travel as an array of exactly `count` records; a count
// without its records is a layout the server could only refuse, so it is
// never sent.
int PutFetchRequests(MsgBuf* b, uint16_t count, const LnaFetchRequest* requests) {
  if (requests == nullptr && count > 0) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  return MsgBufPutU16(b, count) && MsgBufPutArray(b, requests, MsgBufPutElem<XdrPutFetchRequest>,
                                                  sizeof(LnaFetchRequest), count);
}

// What execute-direct (13, 49) and prepare (25) send back first.
struct Described {
  LnaColumnDesc** columns;
  uint16_t* column_count;
  LnaParamDesc** params;
  uint16_t* param_count;

  void Clear() const {
    *columns = nullptr;
    *column_count = 0;
    *params = nullptr;
    *param_count = 0;
  }
  int Read(MsgBuf* b) const {
    return ReadColumnDescs(b, columns, column_count) && ReadParamDescs(b, params, param_count);
  }
  void Free() const {
    FreeColumnDescs(columns, column_count);
    FreeParamDescs(params, param_count);
  }
};

// Execute-direct, plain or with its first row block.
int16_t ExecDirect(RpcConnection** handle, uint32_t procedure, int32_t stmt, const char* sql,
                   const LnaDescList* params, const LnaDescList* bound_columns, uint8_t async,
                   const Described& described, LnaDescList* returned, int32_t* row_count,
                   LnaRowBlock* block) {
  described.Clear();
  *returned = LnaDescList{};
  *row_count = 0;
  if (block != nullptr) *block = LnaRowBlock{};
  return RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, stmt) && MsgBufPutString(b, sql) && PutDescList(b, params) &&
               PutDescList(b, bound_columns) && MsgBufPutU8(b, async);
      },
      [&](MsgBuf* b) {
        return described.Read(b) && ReadReturnedList(b, returned) && MsgBufGetI32(b, row_count) &&
               (block == nullptr || XdrRowBlock(b, block));
      },
      [&] {
        described.Free();
        XdrFreeDescList(returned);
        if (block != nullptr) XdrFreeRowBlock(block);
      },
      // The array forms report a buffer they could not create as a packing
      // failure.
      block != nullptr ? kRpcErrPack : kRpcErrNoBuffer);
}

int16_t Execute(RpcConnection** handle, uint32_t procedure, int32_t stmt, const LnaDescList* params,
                const LnaDescList* bound_columns, uint8_t async, LnaDescList* returned,
                int32_t* row_count, LnaRowBlock* block) {
  *returned = LnaDescList{};
  *row_count = 0;
  if (block != nullptr) *block = LnaRowBlock{};
  return RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, stmt) && PutDescList(b, params) && PutDescList(b, bound_columns) &&
               MsgBufPutU8(b, async);
      },
      [&](MsgBuf* b) {
        return ReadReturnedList(b, returned) && MsgBufGetI32(b, row_count) &&
               (block == nullptr || XdrRowBlock(b, block));
      },
      [&] {
        XdrFreeDescList(returned);
        if (block != nullptr) XdrFreeRowBlock(block);
      },
      block != nullptr ? kRpcErrPack : kRpcErrNoBuffer);
}

}  // namespace

int16_t _rpcLnaAllocStmtSP(RpcConnection** handle, int32_t server_conn, int32_t* server_stmt) {
  return RpcRun(
      RpcHandleConn(handle), kRpcAllocStmt,
      [&](MsgBuf* b) { return Encode(b, AllocStmtRequest{server_conn}); },
      [&](MsgBuf* b) {
        AllocStmtReply reply;
        if (!Decode(b, &reply)) return 0;
        *server_stmt = reply.statement;
        return 1;
      });
}

int16_t _rpcLnaFetchBlockSP(RpcConnection** handle, int32_t server_stmt, uint8_t async,
                            uint16_t count, const LnaFetchRequest* requests, LnaRowBlock* block) {
  *block = LnaRowBlock{};
  return RpcRun(
      RpcHandleConn(handle), kRpcFetchBlock,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, server_stmt) && MsgBufPutU8(b, async) &&
               PutFetchRequests(b, count, requests);
      },
      [&](MsgBuf* b) { return XdrRowBlock(b, block); }, [&] { XdrFreeRowBlock(block); });
}

int16_t _rpcLnaCancelSP(RpcConnection** handle, int32_t server_stmt) {
  return RpcRun(
      RpcHandleConn(handle), kRpcCancel,
      [&](MsgBuf* b) { return Encode(b, CancelRequest{server_stmt}); }, NoFields);
}

int16_t _rpcLnaExecDirectMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                            const LnaDescList* params, const LnaDescList* bound_columns,
                            uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                            LnaParamDesc** param_descs, uint16_t* param_count,
                            LnaDescList* returned, int32_t* row_count) {
  return ExecDirect(handle, kRpcExecDirect, server_stmt, sql, params, bound_columns, async,
                    {columns, column_count, param_descs, param_count}, returned, row_count,
                    nullptr);
}

int16_t _rpcLnaExecDirectArrayMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                                 const LnaDescList* params, const LnaDescList* bound_columns,
                                 uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                                 LnaParamDesc** param_descs, uint16_t* param_count,
                                 LnaDescList* returned, int32_t* row_count, LnaRowBlock* block) {
  return ExecDirect(handle, kRpcExecDirectArray, server_stmt, sql, params, bound_columns, async,
                    {columns, column_count, param_descs, param_count}, returned, row_count, block);
}

int16_t _rpcLnaExecuteMP(RpcConnection** handle, int32_t server_stmt, const LnaDescList* params,
                         const LnaDescList* bound_columns, uint8_t async, LnaDescList* returned,
                         int32_t* row_count) {
  return Execute(handle, kRpcExecute, server_stmt, params, bound_columns, async, returned,
                 row_count, nullptr);
}

int16_t _rpcLnaExecuteArrayMP(RpcConnection** handle, int32_t server_stmt,
                              const LnaDescList* params, const LnaDescList* bound_columns,
                              uint8_t async, LnaDescList* returned, int32_t* row_count,
                              LnaRowBlock* block) {
  return Execute(handle, kRpcExecuteArray, server_stmt, params, bound_columns, async, returned,
                 row_count, block);
}

int16_t _rpcLnaFetchSP(RpcConnection** handle, int32_t server_stmt, uint8_t async, uint16_t count,
                       const LnaFetchRequest* requests, LnaSizedRow* row) {
  *row = LnaSizedRow{};
  return RpcRun(
      RpcHandleConn(handle), kRpcFetch,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, server_stmt) && MsgBufPutU8(b, async) &&
               PutFetchRequests(b, count, requests);
      },
      [&](MsgBuf* b) { return XdrSizedBytes(b, row); }, [&] { XdrFreeSizedRow(row); });
}

int16_t _rpcLnaFreeStmtSP(RpcConnection** handle, int32_t server_stmt, uint16_t option) {
  return RpcRun(
      RpcHandleConn(handle), kRpcFreeStmt,
      [&](MsgBuf* b) {
        return Encode(b, FreeStmtRequest{server_stmt, option});
      },
      NoFields);
}

int16_t _rpcLnaGetLongDataSP(RpcConnection** handle, int32_t server_stmt, uint16_t column,
                             int16_t c_type, int32_t buffer_size, uint8_t async,
                             LnaTypedValue* value, int32_t* length) {
  *value = LnaTypedValue{};
  *length = 0;
  return RpcRun(
      RpcHandleConn(handle), kRpcGetLongData,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, server_stmt) && MsgBufPutU16(b, column) &&
               MsgBufPutU16(b, static_cast<uint16_t>(c_type)) && MsgBufPutI32(b, buffer_size) &&
               MsgBufPutU8(b, async);
      },
      [&](MsgBuf* b) { return XdrTypedValue(b, value) && MsgBufGetI32(b, length); },
      [&] { XdrFreeTypedValue(value); });
}

int16_t _rpcLnaParamDataSP(RpcConnection** handle, int32_t server_stmt, int32_t* result) {
  *result = 0;
  return RpcRun(
      RpcHandleConn(handle), kRpcParamData,
      [&](MsgBuf* b) { return Encode(b, ParamDataRequest{server_stmt}); },
      [&](MsgBuf* b) {
        ParamDataReply reply;
        if (!Decode(b, &reply)) return 0;
        *result = reply.row_count;
        return 1;
      });
}

int16_t _rpcLnaPrepareMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                         uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                         LnaParamDesc** param_descs, uint16_t* param_count) {
  const Described described{columns, column_count, param_descs, param_count};
  described.Clear();
  return RpcRun(
      RpcHandleConn(handle), kRpcPrepare,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, server_stmt) && MsgBufPutString(b, sql) && MsgBufPutU8(b, async);
      },
      [&](MsgBuf* b) { return described.Read(b); }, [&] { described.Free(); });
}

int16_t _rpcLnaPutLongDataSP(RpcConnection** handle, int32_t server_stmt,
                             const LnaTypedValue* value, uint8_t async) {
  return RpcRun(
      RpcHandleConn(handle), kRpcPutLongData,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, server_stmt) && PutValue(b, value) && MsgBufPutU8(b, async);
      },
      NoFields);
}

int16_t _rpcLnaSetCursorNameSP(RpcConnection** handle, int32_t server_stmt, const char* name) {
  return RpcRun(
      RpcHandleConn(handle), kRpcSetCursorName,
      [&](MsgBuf* b) {
        return Encode(b, SetCursorNameRequest{server_stmt, name ? WireText(name) : std::nullopt});
      },
      NoFields);
}

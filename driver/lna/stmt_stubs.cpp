#include "driver/lna/stmt_stubs.h"

#include "common/tls_slot.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"
#include "wire/statement_calls.h"

namespace {

const LnaDescList kNoDescriptors{};

// A descriptor list to send; null sends the empty list.
LnaDescList ListOf(const LnaDescList* list) {
  return list != nullptr ? *list : kNoDescriptors;
}

// Runs `procedure` with `request` and decodes its reply into `reply`, which
// is handed out only when it came whole: a failed call leaves it as blank
// as it started.
template <typename Request, typename Reply>
int16_t RunWithReply(RpcConnection** handle, uint32_t procedure, const Request& request,
                     Reply* reply, int32_t no_buffer_kind = kRpcErrNoBuffer) {
  const Reply blank = *reply;
  return RpcRun(
      RpcHandleConn(handle), procedure, [&](MsgBuf* b) { return Encode(b, request); },
      [&](MsgBuf* b) { return Decode(b, reply); },
      [&] {
        Free(reply);
        *reply = blank;
      },
      no_buffer_kind);
}

// The fetch request record only points at the caller's requests.
LnaFetchRequest* FetchColumns(const LnaFetchRequest* requests) {
  return const_cast<LnaFetchRequest*>(requests);
}

// The array forms report a buffer they could not create as a packing
// failure.
int32_t NoBufferKind(LnaRowBlock* block) {
  return block != nullptr ? kRpcErrPack : kRpcErrNoBuffer;
}

// What an execution hands out, with the first row block for the array forms.
void HandOut(const ExecuteReply& reply, LnaDescList* returned, int32_t* row_count,
             LnaRowBlock* block) {
  *returned = reply.returned;
  *row_count = reply.row_count;
  if (block != nullptr) *block = reply.block;
}

void HandOut(const StatementShape& shape, LnaColumnDesc** columns, uint16_t* column_count,
             LnaParamDesc** params, uint16_t* param_count) {
  *columns = shape.columns;
  *column_count = shape.column_count;
  *params = shape.params;
  *param_count = shape.param_count;
}

// Execute-direct, plain or with its first row block.
int16_t ExecDirect(RpcConnection** handle, uint32_t procedure, int32_t stmt, const char* sql,
                   const LnaDescList* params, const LnaDescList* bound_columns, uint8_t async,
                   LnaColumnDesc** columns, uint16_t* column_count, LnaParamDesc** param_descs,
                   uint16_t* param_count, LnaDescList* returned, int32_t* row_count,
                   LnaRowBlock* block) {
  ExecDirectReply reply;
  reply.executed.procedure = procedure;
  int16_t status = RunWithReply(handle, procedure,
                                ExecDirectRequest{stmt, sql ? WireText(sql) : std::nullopt,
                                                  ListOf(params), ListOf(bound_columns), async},
                                &reply, NoBufferKind(block));
  HandOut(reply.shape, columns, column_count, param_descs, param_count);
  HandOut(reply.executed, returned, row_count, block);
  return status;
}

int16_t Execute(RpcConnection** handle, uint32_t procedure, int32_t stmt, const LnaDescList* params,
                const LnaDescList* bound_columns, uint8_t async, LnaDescList* returned,
                int32_t* row_count, LnaRowBlock* block) {
  ExecuteReply reply;
  reply.procedure = procedure;
  int16_t status = RunWithReply(handle, procedure,
                                ExecuteRequest{stmt, ListOf(params), ListOf(bound_columns), async},
                                &reply, NoBufferKind(block));
  HandOut(reply, returned, row_count, block);
  return status;
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
  FetchBlockReply reply;
  int16_t status =
      RunWithReply(handle, kRpcFetchBlock,
                   FetchRequest{server_stmt, async, count, FetchColumns(requests)}, &reply);
  *block = reply.block;
  return status;
}

int16_t _rpcLnaCancelSP(RpcConnection** handle, int32_t server_stmt) {
  return RpcRun(
      RpcHandleConn(handle), kRpcCancel,
      [&](MsgBuf* b) { return Encode(b, CancelRequest{server_stmt}); }, RpcNoFields);
}

int16_t _rpcLnaExecDirectMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                            const LnaDescList* params, const LnaDescList* bound_columns,
                            uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                            LnaParamDesc** param_descs, uint16_t* param_count,
                            LnaDescList* returned, int32_t* row_count) {
  return ExecDirect(handle, kRpcExecDirect, server_stmt, sql, params, bound_columns, async, columns,
                    column_count, param_descs, param_count, returned, row_count, nullptr);
}

int16_t _rpcLnaExecDirectArrayMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                                 const LnaDescList* params, const LnaDescList* bound_columns,
                                 uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                                 LnaParamDesc** param_descs, uint16_t* param_count,
                                 LnaDescList* returned, int32_t* row_count, LnaRowBlock* block) {
  return ExecDirect(handle, kRpcExecDirectArray, server_stmt, sql, params, bound_columns, async,
                    columns, column_count, param_descs, param_count, returned, row_count, block);
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
  FetchReply reply;
  int16_t status = RunWithReply(
      handle, kRpcFetch, FetchRequest{server_stmt, async, count, FetchColumns(requests)}, &reply);
  *row = reply.row;
  return status;
}

int16_t _rpcLnaFreeStmtSP(RpcConnection** handle, int32_t server_stmt, uint16_t option) {
  return RpcRun(
      RpcHandleConn(handle), kRpcFreeStmt,
      [&](MsgBuf* b) {
        return Encode(b, FreeStmtRequest{server_stmt, option});
      },
      RpcNoFields);
}

int16_t _rpcLnaGetLongDataSP(RpcConnection** handle, int32_t server_stmt, uint16_t column,
                             int16_t c_type, int32_t buffer_size, uint8_t async,
                             LnaTypedValue* value, int32_t* length) {
  GetLongDataReply reply;
  int16_t status =
      RunWithReply(handle, kRpcGetLongData,
                   GetLongDataRequest{server_stmt, column, c_type, buffer_size, async}, &reply);
  *value = reply.value;
  *length = reply.length;
  return status;
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
  StatementShape shape;
  int16_t status =
      RunWithReply(handle, kRpcPrepare,
                   PrepareRequest{server_stmt, sql ? WireText(sql) : std::nullopt, async}, &shape);
  HandOut(shape, columns, column_count, param_descs, param_count);
  return status;
}

int16_t _rpcLnaPutLongDataSP(RpcConnection** handle, int32_t server_stmt,
                             const LnaTypedValue* value, uint8_t async) {
  return RpcRun(
      RpcHandleConn(handle), kRpcPutLongData,
      [&](MsgBuf* b) {
        // There is no piece to send without a value.
        if (value == nullptr) {
          TlsSlotSet(kWireErrCannotGrow);
          return 0;
        }
        return Encode(b, PutLongDataRequest{server_stmt, *value, async});
      },
      RpcNoFields);
}

int16_t _rpcLnaSetCursorNameSP(RpcConnection** handle, int32_t server_stmt, const char* name) {
  return RpcRun(
      RpcHandleConn(handle), kRpcSetCursorName,
      [&](MsgBuf* b) {
        return Encode(b, SetCursorNameRequest{server_stmt, name ? WireText(name) : std::nullopt});
      },
      RpcNoFields);
}

#include "wire/statement_calls.h"

#include "common/memory.h"
#include "common/tls_slot.h"
#include "wire/counted_array.h"
#include "wire/protocol.h"

namespace {

// Execution's returned values travel as an array of descriptor lists: one
// list, or the empty array when there are no values. Of the lists that
// come, the first is kept.
int PutReturned(MsgBuf* buf, const LnaDescList& list) {
  return MsgBufPutArray(buf, list.count > 0 ? &list : nullptr, MsgBufPutElem<XdrParamDesc>,
                        sizeof(LnaDescList), list.count > 0 ? 1 : 0);
}

int GetReturned(MsgBuf* buf, LnaDescList* list) {
  *list = LnaDescList{};
  void* array = nullptr;
  uint32_t received = 0;
  if (!MsgBufGetArray(buf, &array, MsgBufGetElem<XdrGetDescArray>, sizeof(LnaDescList), &received,
                      MsgBufRelease<XdrFreeDescList>))
    return 0;
  auto* lists = static_cast<LnaDescList*>(array);
  if (received > 0) {
    *list = lists[0];
    lists[0] = LnaDescList{};
  }
  MsgBufFreeArray(array, sizeof(LnaDescList), MsgBufRelease<XdrFreeDescList>);
  return 1;
}

bool IsExecution(uint32_t procedure) {
  return procedure == kRpcExecDirect || procedure == kRpcExecDirectArray ||
         procedure == kRpcExecute || procedure == kRpcExecuteArray;
}

bool CarriesBlock(uint32_t procedure) {
  return procedure == kRpcExecDirectArray || procedure == kRpcExecuteArray;
}

// The two descriptor lists of an execution request; on failure neither
// stays allocated.
int GetLists(MsgBuf* buf, LnaDescList* params, LnaDescList* bound_columns) {
  if (!XdrGetDescArray(buf, params)) return 0;
  if (XdrGetDescArray(buf, bound_columns)) return 1;
  XdrFreeDescList(params);
  return 0;
}

}  // namespace

int Encode(MsgBuf* buf, const StatementShape& shape) {
  return PutCountedArray(buf, shape.columns, shape.column_count, MsgBufPutElem<XdrPutColumnDesc>) &&
         PutCountedArray(buf, shape.params, shape.param_count, MsgBufPutElem<XdrPutColumnState>);
}
int Decode(MsgBuf* buf, StatementShape* shape) {
  if (!GetCountedArray(buf, &shape->columns, &shape->column_count, MsgBufGetElem<XdrColumnDesc>))
    return 0;
  if (GetCountedArray(buf, &shape->params, &shape->param_count, MsgBufGetElem<XdrColumnState>))
    return 1;
  Free(shape);
  return 0;
}
void Free(StatementShape* shape) {
  FreeCountedArray(&shape->columns, &shape->column_count);
  FreeCountedArray(&shape->params, &shape->param_count);
}

int Encode(MsgBuf* buf, const PrepareRequest& request) {
  return MsgBufPutI32(buf, request.statement) && EncodeText(buf, request.sql) &&
         MsgBufPutU8(buf, request.async);
}
int Decode(MsgBuf* buf, PrepareRequest* request) {
  return MsgBufGetI32(buf, &request->statement) && DecodeText(buf, &request->sql) &&
         MsgBufGetBytes(buf, &request->async, 1);
}

int Encode(MsgBuf* buf, const ExecDirectRequest& request) {
  return MsgBufPutI32(buf, request.statement) && EncodeText(buf, request.sql) &&
         XdrParamDesc(buf, &request.params) && XdrParamDesc(buf, &request.bound_columns) &&
         MsgBufPutU8(buf, request.async);
}
int Decode(MsgBuf* buf, ExecDirectRequest* request) {
  if (!MsgBufGetI32(buf, &request->statement) || !DecodeText(buf, &request->sql) ||
      !GetLists(buf, &request->params, &request->bound_columns))
    return 0;
  if (MsgBufGetBytes(buf, &request->async, 1)) return 1;
  Free(request);
  return 0;
}
void Free(ExecDirectRequest* request) {
  XdrFreeDescList(&request->params);
  XdrFreeDescList(&request->bound_columns);
}

int Encode(MsgBuf* buf, const ExecuteRequest& request) {
  return MsgBufPutI32(buf, request.statement) && XdrParamDesc(buf, &request.params) &&
         XdrParamDesc(buf, &request.bound_columns) && MsgBufPutU8(buf, request.async);
}
int Decode(MsgBuf* buf, ExecuteRequest* request) {
  if (!MsgBufGetI32(buf, &request->statement) ||
      !GetLists(buf, &request->params, &request->bound_columns))
    return 0;
  if (MsgBufGetBytes(buf, &request->async, 1)) return 1;
  Free(request);
  return 0;
}
void Free(ExecuteRequest* request) {
  XdrFreeDescList(&request->params);
  XdrFreeDescList(&request->bound_columns);
}

int Encode(MsgBuf* buf, const ExecuteReply& reply) {
  if (!IsExecution(reply.procedure)) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  return PutReturned(buf, reply.returned) && MsgBufPutI32(buf, reply.row_count) &&
         (!CarriesBlock(reply.procedure) || XdrPutRowBlock(buf, &reply.block));
}
int Decode(MsgBuf* buf, ExecuteReply* reply) {
  reply->block = LnaRowBlock{};
  if (!IsExecution(reply->procedure)) {
    TlsSlotSet(kWireErrBadRead);
    return 0;
  }
  if (!GetReturned(buf, &reply->returned)) return 0;
  if (MsgBufGetI32(buf, &reply->row_count) &&
      (!CarriesBlock(reply->procedure) || XdrRowBlock(buf, &reply->block)))
    return 1;
  Free(reply);
  return 0;
}
void Free(ExecuteReply* reply) {
  XdrFreeDescList(&reply->returned);
  XdrFreeRowBlock(&reply->block);
}

int Encode(MsgBuf* buf, const ExecDirectReply& reply) {
  return Encode(buf, reply.shape) && Encode(buf, reply.executed);
}
int Decode(MsgBuf* buf, ExecDirectReply* reply) {
  if (!Decode(buf, &reply->shape)) return 0;
  if (Decode(buf, &reply->executed)) return 1;
  Free(&reply->shape);
  return 0;
}
void Free(ExecDirectReply* reply) {
  Free(&reply->shape);
  Free(&reply->executed);
}

int Encode(MsgBuf* buf, const FetchRequest& request) {
  // A count without its records is a layout the server could only refuse.
  if (request.columns == nullptr && request.count > 0) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  return MsgBufPutI32(buf, request.statement) && MsgBufPutU8(buf, request.async) &&
         MsgBufPutU16(buf, request.count) &&
         MsgBufPutArray(buf, request.columns, MsgBufPutElem<XdrPutFetchRequest>,
                        sizeof(LnaFetchRequest), request.count);
}
int Decode(MsgBuf* buf, FetchRequest* request) {
  request->columns = nullptr;
  uint16_t count = 0;
  void* array = nullptr;
  uint32_t received = 0;
  if (!MsgBufGetI32(buf, &request->statement) || !MsgBufGetBytes(buf, &request->async, 1) ||
      !MsgBufGetU16(buf, &count) ||
      !MsgBufGetArray(buf, &array, MsgBufGetElem<XdrGetFetchRequest>, sizeof(LnaFetchRequest),
                      &received))
    return 0;
  if (received != count) {
    MemFree(array);
    TlsSlotSet(kWireErrBadRead);
    return 0;
  }
  request->columns = static_cast<LnaFetchRequest*>(array);
  request->count = count;
  return 1;
}
void Free(FetchRequest* request) {
  FreeCountedArray(&request->columns, &request->count);
}

int Encode(MsgBuf* buf, const FetchReply& reply) {
  return XdrPutSizedBytes(buf, &reply.row);
}
int Decode(MsgBuf* buf, FetchReply* reply) {
  return XdrSizedBytes(buf, &reply->row);
}
void Free(FetchReply* reply) {
  XdrFreeSizedRow(&reply->row);
}

int Encode(MsgBuf* buf, const FetchBlockReply& reply) {
  return XdrPutRowBlock(buf, &reply.block);
}
int Decode(MsgBuf* buf, FetchBlockReply* reply) {
  return XdrRowBlock(buf, &reply->block);
}
void Free(FetchBlockReply* reply) {
  XdrFreeRowBlock(&reply->block);
}

int Encode(MsgBuf* buf, const GetLongDataRequest& request) {
  return MsgBufPutI32(buf, request.statement) && MsgBufPutU16(buf, request.column) &&
         MsgBufPutU16(buf, static_cast<uint16_t>(request.c_type)) &&
         MsgBufPutI32(buf, request.buffer_size) && MsgBufPutU8(buf, request.async);
}
int Decode(MsgBuf* buf, GetLongDataRequest* request) {
  uint16_t c_type = 0;
  if (!MsgBufGetI32(buf, &request->statement) || !MsgBufGetU16(buf, &request->column) ||
      !MsgBufGetU16(buf, &c_type))
    return 0;
  request->c_type = static_cast<int16_t>(c_type);
  return MsgBufGetI32(buf, &request->buffer_size) && MsgBufGetBytes(buf, &request->async, 1);
}
int Encode(MsgBuf* buf, const GetLongDataReply& reply) {
  return XdrPutTypedValue(buf, &reply.value) && MsgBufPutI32(buf, reply.length);
}
int Decode(MsgBuf* buf, GetLongDataReply* reply) {
  if (!XdrTypedValue(buf, &reply->value)) return 0;
  if (MsgBufGetI32(buf, &reply->length)) return 1;
  Free(reply);
  return 0;
}
void Free(GetLongDataReply* reply) {
  XdrFreeTypedValue(&reply->value);
}

int Encode(MsgBuf* buf, const PutLongDataRequest& request) {
  return MsgBufPutI32(buf, request.statement) && XdrPutTypedValue(buf, &request.value) &&
         MsgBufPutU8(buf, request.async);
}
int Decode(MsgBuf* buf, PutLongDataRequest* request) {
  if (!MsgBufGetI32(buf, &request->statement) || !XdrTypedValue(buf, &request->value)) return 0;
  if (MsgBufGetBytes(buf, &request->async, 1)) return 1;
  Free(request);
  return 0;
}
void Free(PutLongDataRequest* request) {
  XdrFreeTypedValue(&request->value);
}

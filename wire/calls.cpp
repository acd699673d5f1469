#include "wire/calls.h"

#include "common/memory.h"
#include "common/tls_slot.h"
#include "wire/protocol.h"

int EncodeText(MsgBuf* buf, const WireText& text) {
  return MsgBufPutString(buf, text ? text->c_str() : nullptr);
}

WireText TextOrNull(const char* text) {
  return text == nullptr ? WireText() : WireText(text);
}

int DecodeText(MsgBuf* buf, WireText* text) {
  char* received = nullptr;
  if (!MsgBufGetString(buf, &received)) return 0;
  if (received == nullptr) {
    text->reset();
  } else {
    *text = std::string(received);
    MemFree(received);
  }
  return 1;
}

namespace {

// A value travels in an array of typed values: of one value, or the empty
// array (i32 -1) for none. A reader keeps the first and frees the others.
int EncodeValueArray(MsgBuf* buf, const std::optional<WireValue>& value) {
  return MsgBufPutArray(buf, value ? &value->get() : nullptr, MsgBufPutElem<XdrPutTypedValue>,
                        sizeof(LnaTypedValue), value ? 1 : 0);
}

int DecodeValueArray(MsgBuf* buf, std::optional<WireValue>* value) {
  value->reset();
  void* array;
  uint32_t received;
  if (!MsgBufGetArray(buf, &array, MsgBufGetElem<XdrTypedValue>, sizeof(LnaTypedValue), &received,
                      MsgBufRelease<XdrFreeTypedValue>)) {
    return 0;
  }
  auto* values = static_cast<LnaTypedValue*>(array);
  if (received > 0) {
    *value = WireValue::Adopt(values[0]);
    values[0] = LnaTypedValue{};
  }
  MsgBufFreeArray(array, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);
  return 1;
}

}  // namespace

int Encode(MsgBuf* buf, const CancelPendingRequest& request) {
  return MsgBufPutU16(buf, request.cancel_key);
}
int Decode(MsgBuf* buf, CancelPendingRequest* request) {
  return MsgBufGetU16(buf, &request->cancel_key);
}

int Encode(MsgBuf* buf, const ShutdownRequest& request) {
  return MsgBufPutU16(buf, request.mode);
}
int Decode(MsgBuf* buf, ShutdownRequest* request) {
  return MsgBufGetU16(buf, &request->mode);
}

int Encode(MsgBuf* buf, const AllocStmtRequest& request) {
  return MsgBufPutI32(buf, request.connection);
}
int Decode(MsgBuf* buf, AllocStmtRequest* request) {
  return MsgBufGetI32(buf, &request->connection);
}
int Encode(MsgBuf* buf, const AllocStmtReply& reply) {
  return MsgBufPutI32(buf, reply.statement);
}
int Decode(MsgBuf* buf, AllocStmtReply* reply) {
  return MsgBufGetI32(buf, &reply->statement);
}

int Encode(MsgBuf* buf, const DisconnectRequest& request) {
  return MsgBufPutI32(buf, request.connection);
}
int Decode(MsgBuf* buf, DisconnectRequest* request) {
  return MsgBufGetI32(buf, &request->connection);
}

int Encode(MsgBuf* buf, const TransactRequest& request) {
  return MsgBufPutI32(buf, request.connection) && MsgBufPutU16(buf, request.type);
}
int Decode(MsgBuf* buf, TransactRequest* request) {
  return MsgBufGetI32(buf, &request->connection) && MsgBufGetU16(buf, &request->type);
}

int Encode(MsgBuf* buf, const FreeStmtRequest& request) {
  return MsgBufPutI32(buf, request.statement) && MsgBufPutU16(buf, request.option);
}
int Decode(MsgBuf* buf, FreeStmtRequest* request) {
  return MsgBufGetI32(buf, &request->statement) && MsgBufGetU16(buf, &request->option);
}

int Encode(MsgBuf* buf, const CancelRequest& request) {
  return MsgBufPutI32(buf, request.statement);
}
int Decode(MsgBuf* buf, CancelRequest* request) {
  return MsgBufGetI32(buf, &request->statement);
}

int Encode(MsgBuf* buf, const SetCursorNameRequest& request) {
  return MsgBufPutI32(buf, request.statement) && EncodeText(buf, request.name);
}
int Decode(MsgBuf* buf, SetCursorNameRequest* request) {
  return MsgBufGetI32(buf, &request->statement) && DecodeText(buf, &request->name);
}

int Encode(MsgBuf* buf, const ParamDataRequest& request) {
  return MsgBufPutI32(buf, request.statement);
}
int Decode(MsgBuf* buf, ParamDataRequest* request) {
  return MsgBufGetI32(buf, &request->statement);
}
int Encode(MsgBuf* buf, const ParamDataReply& reply) {
  return MsgBufPutI32(buf, reply.row_count);
}
int Decode(MsgBuf* buf, ParamDataReply* reply) {
  return MsgBufGetI32(buf, &reply->row_count);
}

int Encode(MsgBuf* buf, const GetErrorsRequest& request) {
  return MsgBufPutI32(buf, request.connection) && MsgBufPutI32(buf, request.statement);
}
int Decode(MsgBuf* buf, GetErrorsRequest* request) {
  return MsgBufGetI32(buf, &request->connection) && MsgBufGetI32(buf, &request->statement);
}
int Encode(MsgBuf* buf, const GetErrorsReply& reply) {
  return MsgBufPutArray(buf, reply.records.empty() ? nullptr : reply.records.data(),
                        MsgBufPutElem<XdrPutDiagRecord>, sizeof(LnaDiagRecord),
                        static_cast<int32_t>(reply.records.size())) &&
         MsgBufPutU16(buf, reply.count);
}
int Decode(MsgBuf* buf, GetErrorsReply* reply) {
  reply->records.clear();
  void* array = nullptr;
  uint32_t received = 0;
  if (!MsgBufGetArray(buf, &array, MsgBufGetElem<XdrDiagRecord>, sizeof(LnaDiagRecord), &received))
    return 0;
  auto* records = static_cast<LnaDiagRecord*>(array);
  reply->records.assign(records, records + received);
  MemFree(array);
  return MsgBufGetU16(buf, &reply->count);
}

int Encode(MsgBuf* buf, const GetInfoRequest& request) {
  return MsgBufPutI32(buf, request.connection) && MsgBufPutU16(buf, request.info_type) &&
         MsgBufPutI32(buf, request.buffer_size);
}
int Decode(MsgBuf* buf, GetInfoRequest* request) {
  return MsgBufGetI32(buf, &request->connection) && MsgBufGetU16(buf, &request->info_type) &&
         MsgBufGetI32(buf, &request->buffer_size);
}

int Encode(MsgBuf* buf, const GetInfoReply& reply) {
  return EncodeValueArray(buf, reply.value) && MsgBufPutI32(buf, reply.full_length);
}
int Decode(MsgBuf* buf, GetInfoReply* reply) {
  return DecodeValueArray(buf, &reply->value) && MsgBufGetI32(buf, &reply->full_length);
}

int Encode(MsgBuf* buf, const GetOptionRequest& request) {
  return MsgBufPutI32(buf, request.handle) && MsgBufPutU16(buf, request.option);
}
int Decode(MsgBuf* buf, GetOptionRequest* request) {
  return MsgBufGetI32(buf, &request->handle) && MsgBufGetU16(buf, &request->option);
}
int Encode(MsgBuf* buf, const GetOptionReply& reply) {
  return EncodeValueArray(buf, reply.value);
}
int Decode(MsgBuf* buf, GetOptionReply* reply) {
  return DecodeValueArray(buf, &reply->value);
}

size_t CatalogNameCount(uint32_t procedure) {
  switch (procedure) {
    case kRpcColumnPrivileges:
    case kRpcColumns:
    case kRpcProcedureColumns:
      return 4;
    case kRpcForeignKeys:
      return 6;
    case kRpcPrimaryKeys:
    case kRpcProcedures:
    case kRpcSpecialColumns:
    case kRpcStatistics:
    case kRpcTablePrivileges:
    case kRpcTables:
      return 3;
    default:
      return 0;
  }
}

int Encode(MsgBuf* buf, const CatalogRequest& request) {
  size_t names = CatalogNameCount(request.procedure);
  if (names == 0 || request.names.size() != names) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  if (!MsgBufPutI32(buf, request.statement)) return 0;
  if (request.procedure == kRpcSpecialColumns && !MsgBufPutU16(buf, request.column_type)) return 0;
  for (const WireText& name : request.names)
    if (!EncodeText(buf, name)) return 0;
  int ok = 1;
  if (request.procedure == kRpcSpecialColumns)
    ok = MsgBufPutU16(buf, request.scope) && MsgBufPutU16(buf, request.nullable);
  else if (request.procedure == kRpcStatistics)
    ok = MsgBufPutU16(buf, request.unique) && MsgBufPutU16(buf, request.accuracy);
  else if (request.procedure == kRpcTables)
    ok = MsgBufPutU32(buf, request.table_types);
  return ok && MsgBufPutU8(buf, request.async);
}

int Decode(MsgBuf* buf, CatalogRequest* request) {
  request->names.clear();
  size_t names = CatalogNameCount(request->procedure);
  if (names == 0) {
    TlsSlotSet(kWireErrBadRead);
    return 0;
  }
  if (!MsgBufGetI32(buf, &request->statement)) return 0;
  if (request->procedure == kRpcSpecialColumns && !MsgBufGetU16(buf, &request->column_type))
    return 0;
  for (size_t i = 0; i < names; ++i) {
    WireText name;
    if (!DecodeText(buf, &name)) return 0;
    request->names.push_back(std::move(name));
  }
  int ok = 1;
  if (request->procedure == kRpcSpecialColumns)
    ok = MsgBufGetU16(buf, &request->scope) && MsgBufGetU16(buf, &request->nullable);
  else if (request->procedure == kRpcStatistics)
    ok = MsgBufGetU16(buf, &request->unique) && MsgBufGetU16(buf, &request->accuracy);
  else if (request->procedure == kRpcTables)
    ok = MsgBufGetU32(buf, &request->table_types);
  return ok && MsgBufGetBytes(buf, &request->async, 1);
}

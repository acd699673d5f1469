// The request and reply records of the procedures that prepare, execute and
// fetch a statement and carry its long values, with one encode and one
// decode each, shared by the driver's stubs and velsrv's handlers as
// wire/calls.h does for the others.
//
// These records hold the wire's own structures (descriptor lists, column
// descriptions, typed values, row blocks), so that the driver can hand the
// arrays a reply brought straight to its caller. A record being encoded
// only points at its sender's data. A decoded record owns what the decode
// allocated (MemFree based), which Free releases, emptying the arrays; a
// failed decode has released it already, leaving the fields read before
// the failure as they were. Every encode and decode returns 1, or 0 with
// the reason in the thread's last error (wire/msg_buf.h).
#pragma once

#include <cstdint>
#include <utility>

#include "wire/calls.h"
#include "wire/column_desc.h"
#include "wire/descriptor.h"
#include "wire/fetch_request.h"
#include "wire/msg_buf.h"
#include "wire/row_reply.h"
#include "wire/typed_value.h"

// What prepare and direct execution say about the statement: its result
// columns, then one description per parameter marker. Each array travels
// with a count of its own after it; a decode hands out at most the
// elements that came.
struct StatementShape {
  LnaColumnDesc* columns = nullptr;
  uint16_t column_count = 0;
  LnaParamDesc* params = nullptr;
  uint16_t param_count = 0;
};
int Encode(MsgBuf* buf, const StatementShape& shape);
int Decode(MsgBuf* buf, StatementShape* shape);
void Free(StatementShape* shape);

// kRpcPrepare. The reply is the statement's shape.
struct PrepareRequest {
  int32_t statement = 0;
  WireText sql;
  uint8_t async = 0;  // a hint only
};
int Encode(MsgBuf* buf, const PrepareRequest& request);
int Decode(MsgBuf* buf, PrepareRequest* request);

// kRpcExecDirect and kRpcExecDirectArray: the text, the parameters' values
// and the bound columns whose values come back.
struct ExecDirectRequest {
  int32_t statement = 0;
  WireText sql;
  LnaDescList params{};
  LnaDescList bound_columns{};
  uint8_t async = 0;
};
int Encode(MsgBuf* buf, const ExecDirectRequest& request);
int Decode(MsgBuf* buf, ExecDirectRequest* request);
void Free(ExecDirectRequest* request);

// kRpcExecute and kRpcExecuteArray: the prepared statement's parameters.
struct ExecuteRequest {
  int32_t statement = 0;
  LnaDescList params{};
  LnaDescList bound_columns{};
  uint8_t async = 0;
};
int Encode(MsgBuf* buf, const ExecuteRequest& request);
int Decode(MsgBuf* buf, ExecuteRequest* request);
void Free(ExecuteRequest* request);

// What an execution sends back: the values of the output parameters (one
// list, or none when it is empty), the row count (-1 when unknown) and,
// for the array forms only, the first row block. Which form it is the
// frame header says, so `procedure` is set before a decode and is not
// sent.
struct ExecuteReply {
  uint32_t procedure = 0;
  LnaDescList returned{};
  int32_t row_count = 0;
  LnaRowBlock block{};  // kRpcExecuteArray and kRpcExecDirectArray only
};
int Encode(MsgBuf* buf, const ExecuteReply& reply);
int Decode(MsgBuf* buf, ExecuteReply* reply);
void Free(ExecuteReply* reply);

// Direct execution's reply: the statement's shape, then what an execution
// sends back.
struct ExecDirectReply {
  StatementShape shape;
  ExecuteReply executed;
};
int Encode(MsgBuf* buf, const ExecDirectReply& reply);
int Decode(MsgBuf* buf, ExecDirectReply* reply);
void Free(ExecDirectReply* reply);

// kRpcFetch and kRpcFetchBlock: one request per result column, sent as a
// count and then exactly that many records.
struct FetchRequest {
  int32_t statement = 0;
  uint8_t async = 0;
  uint16_t count = 0;
  LnaFetchRequest* columns = nullptr;
};
int Encode(MsgBuf* buf, const FetchRequest& request);
int Decode(MsgBuf* buf, FetchRequest* request);
void Free(FetchRequest* request);

// kRpcFetch's reply: one row's values.
struct FetchReply {
  LnaSizedRow row{};
};
int Encode(MsgBuf* buf, const FetchReply& reply);
int Decode(MsgBuf* buf, FetchReply* reply);
void Free(FetchReply* reply);

// kRpcFetchBlock's reply: the next row block.
struct FetchBlockReply {
  LnaRowBlock block{};
};
int Encode(MsgBuf* buf, const FetchBlockReply& reply);
int Decode(MsgBuf* buf, FetchBlockReply* reply);
void Free(FetchBlockReply* reply);

// kRpcGetLongData: the next piece of a column of the current row, at most
// `buffer_size` bytes of it.
struct GetLongDataRequest {
  int32_t statement = 0;
  uint16_t column = 0;
  int16_t c_type = 0;
  int32_t buffer_size = 0;
  uint8_t async = 0;
};
struct GetLongDataReply {
  LnaTypedValue value{};
  int32_t length = 0;  // of the value left before this piece, as SQLGetData reports it
};
int Encode(MsgBuf* buf, const GetLongDataRequest& request);
int Decode(MsgBuf* buf, GetLongDataRequest* request);
int Encode(MsgBuf* buf, const GetLongDataReply& reply);
int Decode(MsgBuf* buf, GetLongDataReply* reply);
void Free(GetLongDataReply* reply);

// kRpcPutLongData: the next piece of the data-at-execution parameter.
struct PutLongDataRequest {
  int32_t statement = 0;
  LnaTypedValue value{};
  uint8_t async = 0;
};
int Encode(MsgBuf* buf, const PutLongDataRequest& request);
int Decode(MsgBuf* buf, PutLongDataRequest* request);
void Free(PutLongDataRequest* request);

// A decoded record, released when the scope ends (a record that allocates
// nothing has no Free).
template <typename Record>
struct DecodedRecord {
  Record record;
  DecodedRecord() = default;
  explicit DecodedRecord(Record blank) : record(std::move(blank)) {}
  DecodedRecord(const DecodedRecord&) = delete;
  DecodedRecord& operator=(const DecodedRecord&) = delete;
  ~DecodedRecord() {
    if constexpr (requires(Record * r) { Free(r); }) Free(&record);
  }
};

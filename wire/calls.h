// The request and reply records of the remote procedures, one pair per
// procedure with one encode and one decode each: the driver's stubs encode
// the request and decode the reply with these, and velsrv's handlers decode
// the request and encode the reply with the same functions, so no field
// order is written twice. A procedure whose reply carries no fields has no
// reply record. Every encode and decode returns 1, or 0 with the reason in
// the thread's last error (wire/msg_buf.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wire/diag_record.h"
#include "wire/msg_buf.h"
#include "wire/wire_value.h"

// A text field: absent (null) or a text.
using WireText = std::optional<std::string>;
int EncodeText(MsgBuf* buf, const WireText& text);
int DecodeText(MsgBuf* buf, WireText* text);
// A C caller's text, where a null pointer stands for the null text.
WireText TextOrNull(const char* text);

// kRpcCancelPending: cancels the call in progress on the session that
// holds the cancel key, over a connection of its own.
struct CancelPendingRequest {
  uint16_t cancel_key = 0;
};
int Encode(MsgBuf* buf, const CancelPendingRequest& request);
int Decode(MsgBuf* buf, CancelPendingRequest* request);

// kRpcShutdown: stops the server.
struct ShutdownRequest {
  uint16_t mode = 0;
};
int Encode(MsgBuf* buf, const ShutdownRequest& request);
int Decode(MsgBuf* buf, ShutdownRequest* request);

// kRpcAllocStmt: a statement on the login's connection.
struct AllocStmtRequest {
  int32_t connection = 0;
};
struct AllocStmtReply {
  int32_t statement = 0;  // 0 when none was allocated
};
int Encode(MsgBuf* buf, const AllocStmtRequest& request);
int Decode(MsgBuf* buf, AllocStmtRequest* request);
int Encode(MsgBuf* buf, const AllocStmtReply& reply);
int Decode(MsgBuf* buf, AllocStmtReply* reply);

// kRpcDisconnect: the end of the login.
struct DisconnectRequest {
  int32_t connection = 0;
};
int Encode(MsgBuf* buf, const DisconnectRequest& request);
int Decode(MsgBuf* buf, DisconnectRequest* request);

// kRpcTransact: commit (0) or roll back (1) the connection's work.
struct TransactRequest {
  int32_t connection = 0;
  uint16_t type = 0;
};
int Encode(MsgBuf* buf, const TransactRequest& request);
int Decode(MsgBuf* buf, TransactRequest* request);

// kRpcFreeStmt: SQLFreeStmt's option for the statement.
struct FreeStmtRequest {
  int32_t statement = 0;
  uint16_t option = 0;
};
int Encode(MsgBuf* buf, const FreeStmtRequest& request);
int Decode(MsgBuf* buf, FreeStmtRequest* request);

// kRpcCancel.
struct CancelRequest {
  int32_t statement = 0;
};
int Encode(MsgBuf* buf, const CancelRequest& request);
int Decode(MsgBuf* buf, CancelRequest* request);

// kRpcSetCursorName.
struct SetCursorNameRequest {
  int32_t statement = 0;
  WireText name;
};
int Encode(MsgBuf* buf, const SetCursorNameRequest& request);
int Decode(MsgBuf* buf, SetCursorNameRequest* request);

// kRpcParamData: the next data-at-execution parameter, or the execution
// once every value is in.
struct ParamDataRequest {
  int32_t statement = 0;
};
struct ParamDataReply {
  int32_t row_count = 0;  // of the execution; -1 when unknown
};
int Encode(MsgBuf* buf, const ParamDataRequest& request);
int Decode(MsgBuf* buf, ParamDataRequest* request);
int Encode(MsgBuf* buf, const ParamDataReply& reply);
int Decode(MsgBuf* buf, ParamDataReply* reply);

// kRpcGetErrors: the diagnostics of a statement (statement not 0) or of the
// connection, handed out once: at most kGetErrorsMaxRecords, the most the
// client reads (the server keeps no more).
constexpr uint16_t kGetErrorsMaxRecords = 10;
struct GetErrorsRequest {
  int32_t connection = 0;
  int32_t statement = 0;
};
struct GetErrorsReply {
  std::vector<LnaDiagRecord> records;
  uint16_t count = 0;  // as the sender counted them; a reader trusts at most the records
};
int Encode(MsgBuf* buf, const GetErrorsRequest& request);
int Decode(MsgBuf* buf, GetErrorsRequest* request);
int Encode(MsgBuf* buf, const GetErrorsReply& reply);
int Decode(MsgBuf* buf, GetErrorsReply* reply);

// kRpcGetInfo: one SQLGetInfo type, for a buffer of `buffer_size` bytes.
struct GetInfoRequest {
  int32_t connection = 0;
  uint16_t info_type = 0;
  int32_t buffer_size = 0;
};
// The whole value, which the driver cuts to the buffer, and its length on
// the server; no value when the call failed.
struct GetInfoReply {
  std::optional<WireValue> value;
  int32_t full_length = 0;
};
int Encode(MsgBuf* buf, const GetInfoRequest& request);
int Decode(MsgBuf* buf, GetInfoRequest* request);
int Encode(MsgBuf* buf, const GetInfoReply& reply);
int Decode(MsgBuf* buf, GetInfoReply* reply);

// kRpcGetConnectOption and kRpcGetStmtOption: one option of the connection
// or of the statement that `handle` names.
struct GetOptionRequest {
  int32_t handle = 0;
  uint16_t option = 0;
};
// The option's value; none when the call failed.
struct GetOptionReply {
  std::optional<WireValue> value;
};
int Encode(MsgBuf* buf, const GetOptionRequest& request);
int Decode(MsgBuf* buf, GetOptionRequest* request);
int Encode(MsgBuf* buf, const GetOptionReply& reply);
int Decode(MsgBuf* buf, GetOptionReply* reply);

// The ten catalog procedures (kRpcColumnPrivileges to kRpcTables): the
// statement, the procedure's arguments in the ODBC function's order and the
// async byte. Which arguments travel depends on the procedure, which the
// frame header names, so `procedure` is set before a decode and is not sent.
// The reply is the result's column descriptions (ColumnDescList,
// wire/column_desc.h).
struct CatalogRequest {
  uint32_t procedure = 0;
  int32_t statement = 0;
  std::vector<WireText> names;  // foreign keys: the primary-key triple, then the foreign-key triple
  uint16_t column_type = 0;     // special columns
  uint16_t scope = 0;
  uint16_t nullable = 0;
  uint16_t unique = 0;  // statistics
  uint16_t accuracy = 0;
  uint32_t table_types = 0;  // tables: bit i asks for the login's table type i
  uint8_t async = 0;         // a hint only
};
// How many names `procedure` sends; 0 for one that is not a catalog procedure.
size_t CatalogNameCount(uint32_t procedure);
int Encode(MsgBuf* buf, const CatalogRequest& request);
int Decode(MsgBuf* buf, CatalogRequest* request);

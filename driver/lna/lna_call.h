// The call layer: what the driver sees of the remote-call client. One
// `LnaConnection` per ODBC connection (one login on a server) and one
// `LnaStatement` per ODBC statement; every operation takes one of them
// first, runs the remote procedure behind it and returns a status code.
//
// Statuses: 0 success; 1 success with diagnostics waiting; -14 still
// executing; -15 need data; -16 no more rows; -17 no record given; -18 out
// of memory creating a connection; -19 server error; -20 failure (a client
// diagnostic saved, a transport failure that broke the connection, or the
// server's own error with its diagnostics waiting on the server). After
// -20, -19, -17 and 1 the driver reads the diagnostics with
// LnaGetDiagnostics.
//
// The suffixes SP and MP come with the names of the remote procedures
// (`_rpcLnaFreeStmtSP`, `_rpcLnaExecuteMP`) and are names only: they mark no
// difference a caller must know (LnaFetchMP runs SP procedures), and every
// operation is called alike. XP marks the administrative exports, which open
// a connection of their own.
//
// Option values travel between the driver and this layer pointer-sized: a
// number, or the address of a text. Arrays handed out (column and parameter
// descriptions, data types, table types) are freed by the caller with
// MemFree; option and information values are copied into the caller's
// buffers.
#pragma once

#include <cstdint>

#include "wire/calls.h"
#include "wire/column_desc.h"
#include "wire/diag_record.h"
#include "wire/login_records.h"
#include "wire/protocol.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

struct LnaConnection;
struct LnaStatement;

// The server's statuses pass through as they stand; the others are the
// call layer's own.
enum : int16_t {
  kLnaOk = kReplyOk,
  kLnaInfo = kReplyInfo,
  kLnaStillExecuting = -14,
  kLnaNeedData = kReplyNeedData,
  kLnaNoData = kReplyNoData,
  kLnaNoRecord = -17,
  kLnaNoMemory = -18,
  kLnaServerError = kReplyError,
  kLnaFailed = kReplyFailed,
};

// Diagnostic records one LnaGetDiagnostics call hands out at most: as many
// as the server's reply carries.
constexpr uint16_t kLnaMaxDiagnostics = kGetErrorsMaxRecords;
// Room a caller gives an option text (LnaGetConnectOptionMP,
// LnaGetStmtOptionSP): a longer text is cut to it, NUL included.
constexpr uint32_t kLnaOptionTextSize = 256;

// One parameter binding of execute and direct execution. The first list
// carries values to the server; the second receives values back: its
// `value` buffers (at most `buffer_length` bytes) and `value_length` are
// written by the call.
struct ParamValueEntry {
  uint16_t number;  // parameter number; 0 = free entry
  uint16_t param_type;
  int16_t c_type;
  int16_t sql_type;
  uint32_t column_size;
  int16_t scale;
  void* value;  // the application's buffer
  int32_t buffer_length;
  int32_t value_length;  // length or indicator
};

// One result column's place in a fetch (the driver's fetch buffer entry):
// the C type its value is delivered in and the buffer it lands in. After a
// row, result_length is the value's length, -1 for a null, or -95 when the
// server marks a value so (the buffer is then left alone). A value longer
// than the buffer has only its first buffer_length bytes written there;
// LnaFetchedValue gives it whole.
struct LnaFetchSlot {
  int16_t c_type;
  void* buffer;
  int32_t buffer_length;
  int32_t result_length;
};

// The call layer's global lock: at library load and unload.
int32_t LnaInit();
void LnaTerm();

// 0 and a new record; -18 (and *conn null, or a record to free with
// LnaFreeConnect) when memory runs out.
int16_t LnaAllocConnect(LnaConnection** conn);
// Frees the record, its statements, and anything a logout left open.
void LnaFreeConnect(LnaConnection* conn);
// 1 while the record holds an RPC connection.
int LnaIsConnected(const LnaConnection* conn);

// The client's saved diagnostic of the statement (else of the connection)
// when one is waiting, else up to kLnaMaxDiagnostics of the server's.
int16_t LnaGetDiagnostics(LnaConnection* conn, LnaStatement* stmt, LnaDiagRecord* records,
                          uint16_t* count);

// The application's login timeout in seconds for the next login (0: the
// data source's LoginTimeout, else 30 seconds): it bounds the connect, the
// greeting and the login's reply together, and then the reply of every call
// that runs no statement.
void LnaSetLoginTimeout(LnaConnection* conn, uint32_t seconds);
// The login. The completed connection string goes to conn_out (out_size
// bytes); the arrays are the caller's (MemFree).
int16_t LnaConnectMP(LnaConnection* conn, const char* conn_in, char* conn_out, int32_t out_size,
                     uint32_t* extra, LnaServerInfo* server_info, LnaLoginInfo154* info154,
                     LnaLoginInfo96* info96, LnaTypeInfo** types, uint16_t* type_count,
                     LnaTableType** table_types, uint16_t* table_type_count, uint16_t* functions,
                     LnaConnectResult* connect_result, LnaLoginInfo52* info52);
int16_t LnaDisconnectSP(LnaConnection* conn);

// Option values by C type: 1 the address of a NUL-terminated text, 4 a
// 32-bit number, 5 a 16-bit number. A value read back is stored as a
// uintptr_t for numbers, or as a text of at most kLnaOptionTextSize bytes
// for C type 1; `value` points at room for either.
int16_t LnaSetConnectOptionMP(LnaConnection* conn, uint16_t option, uintptr_t value,
                              int16_t c_type);
int16_t LnaGetConnectOptionMP(LnaConnection* conn, uint16_t option, void* value, uint16_t* c_type);
int16_t LnaGetInfoSP(LnaConnection* conn, uint16_t info_type, void* buffer, int32_t buffer_size,
                     int32_t* length, uint16_t* c_type);
int16_t LnaTransactSP(LnaConnection* conn, uint16_t type);

int16_t LnaAllocStmtSP(LnaConnection* conn, LnaStatement** stmt);
// Option 0 closes the result, 1 drops the record (the handle is gone after
// a result of 0 or 1).
int16_t LnaFreeStmtSP(LnaStatement* stmt, uint16_t option);
// While another thread's call of the statement is on the wire, the cancel
// travels the cancel route within the connection's call wait (at most
// 10 s); one that could not be delivered gives -20 with its reason in
// *undelivered (when given) and nothing saved on the statement, whose call
// is still running.
int16_t LnaCancelSP(LnaStatement* stmt, LnaDiagRecord* undelivered = nullptr);
int16_t LnaSetStmtOptionSP(LnaStatement* stmt, uint16_t option, uintptr_t value, int16_t c_type);
int16_t LnaGetStmtOptionSP(LnaStatement* stmt, uint16_t option, void* value, uint16_t* c_type);
int16_t LnaSetCursorNameSP(LnaStatement* stmt, const char* name);

int16_t LnaPrepareMP(LnaStatement* stmt, const char* sql, LnaColumnDesc** columns,
                     uint16_t* column_count, LnaParamDesc** params, uint16_t* param_count,
                     uint8_t async);
int16_t LnaExecuteMP(LnaStatement* stmt, uint16_t in_count, const ParamValueEntry* in_list,
                     uint16_t out_count, ParamValueEntry* out_list, int32_t* row_count,
                     uint8_t async);
int16_t LnaExecDirectMP(LnaStatement* stmt, const char* sql, LnaColumnDesc** columns,
                        uint16_t* column_count, LnaParamDesc** params, uint16_t* param_count,
                        uint16_t in_count, const ParamValueEntry* in_list, uint16_t out_count,
                        ParamValueEntry* out_list, int32_t* row_count, uint8_t async);
int16_t LnaParamDataSP(LnaStatement* stmt, int32_t* result);
// C types -2 and 1 only.
int16_t LnaPutLongDataSP(LnaStatement* stmt, int16_t c_type, const void* data, int32_t length,
                         uint8_t async);
// At most buffer_size bytes land in `buffer`; *length is the value's length.
int16_t LnaGetLongDataSP(LnaStatement* stmt, uint16_t column, int16_t c_type, void* buffer,
                         int32_t buffer_size, int32_t* length, uint8_t async);

// The catalog operations: a result described by its columns (MemFree).
int16_t LnaColumnsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                     const char* table, const char* column, LnaColumnDesc** columns,
                     uint16_t* count, uint8_t async);
int16_t LnaTablesSP(LnaStatement* stmt, const char* qualifier, const char* owner, const char* table,
                    uint32_t table_types, LnaColumnDesc** columns, uint16_t* count, uint8_t async);
int16_t LnaSpecialColumnsSP(LnaStatement* stmt, uint16_t column_type, const char* qualifier,
                            const char* owner, const char* table, uint16_t scope, uint16_t nullable,
                            LnaColumnDesc** columns, uint16_t* count, uint8_t async);
int16_t LnaStatisticsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                        const char* table, uint16_t unique, uint16_t accuracy,
                        LnaColumnDesc** columns, uint16_t* count, uint8_t async);
int16_t LnaPrimaryKeysSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                         const char* table, LnaColumnDesc** columns, uint16_t* count,
                         uint8_t async);
int16_t LnaForeignKeysSP(LnaStatement* stmt, const char* pk_qualifier, const char* pk_owner,
                         const char* pk_table, const char* fk_qualifier, const char* fk_owner,
                         const char* fk_table, LnaColumnDesc** columns, uint16_t* count,
                         uint8_t async);
int16_t LnaColumnPrivilegesSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                              const char* table, const char* column, LnaColumnDesc** columns,
                              uint16_t* count, uint8_t async);
int16_t LnaTablePrivilegesSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                             const char* table, LnaColumnDesc** columns, uint16_t* count,
                             uint8_t async);
int16_t LnaProcedureColumnsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                              const char* procedure, const char* column, LnaColumnDesc** columns,
                              uint16_t* count, uint8_t async);
int16_t LnaProceduresSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                        const char* procedure, LnaColumnDesc** columns, uint16_t* count,
                        uint8_t async);

// The next row of the result into `slots` (one per result column): 0 or 1
// with a row; -16 after the last row; -14, -17 or -20.
int16_t LnaFetchMP(LnaStatement* stmt, LnaFetchSlot* slots, uint8_t async);
// 1 when column `column` (from 1) came with the row, 0 when it is left for
// LnaGetLongDataSP or there is no such column.
int LnaColumnFetched(const LnaStatement* stmt, uint16_t column);
// The current row's value of column `column` (from 1) as its slot received
// it, whole: a text or binary value longer than the slot's buffer is kept
// beside it. *length receives how many bytes are at hand (0 for a null).
const void* LnaFetchedValue(const LnaStatement* stmt, uint16_t column, const LnaFetchSlot* slot,
                            int32_t* length);

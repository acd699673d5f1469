// The stubs of the statement procedures. Each takes the call layer's handle
// of its RPC connection and returns the server's status, or -20 for a local
// failure with the connection's error kind set (rpc_connection.h).
//
// Output arrays are set empty first. Arrays a reply carries are allocated
// for the caller (MemFree; descriptor lists XdrFreeDescList, row blocks
// XdrFreeRowBlock, typed values XdrFreeTypedValue); a count handed out
// never exceeds the elements of its array. A failed stub hands nothing out.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/column_desc.h"
#include "wire/descriptor.h"
#include "wire/fetch_request.h"
#include "wire/row_reply.h"
#include "wire/typed_value.h"

// 1: a new server statement on the server connection.
int16_t _rpcLnaAllocStmtSP(RpcConnection** handle, int32_t server_conn, int32_t* server_stmt);
// 2: the next row block, for `count` columns.
int16_t _rpcLnaFetchBlockSP(RpcConnection** handle, int32_t server_stmt, uint8_t async,
                            uint16_t count, const LnaFetchRequest* requests, LnaRowBlock* block);
// 4
int16_t _rpcLnaCancelSP(RpcConnection** handle, int32_t server_stmt);
// 13: `returned` receives the reply's bound-column list, which takes the
// place of `bound_columns` (XdrFreeDescList).
int16_t _rpcLnaExecDirectMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                            const LnaDescList* params, const LnaDescList* bound_columns,
                            uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                            LnaParamDesc** param_descs, uint16_t* param_count,
                            LnaDescList* returned, int32_t* row_count);
// 49: as 13, and the first row block.
int16_t _rpcLnaExecDirectArrayMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                                 const LnaDescList* params, const LnaDescList* bound_columns,
                                 uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                                 LnaParamDesc** param_descs, uint16_t* param_count,
                                 LnaDescList* returned, int32_t* row_count, LnaRowBlock* block);
// 14
int16_t _rpcLnaExecuteMP(RpcConnection** handle, int32_t server_stmt, const LnaDescList* params,
                         const LnaDescList* bound_columns, uint8_t async, LnaDescList* returned,
                         int32_t* row_count);
// 50: as 14, and the first row block.
int16_t _rpcLnaExecuteArrayMP(RpcConnection** handle, int32_t server_stmt,
                              const LnaDescList* params, const LnaDescList* bound_columns,
                              uint8_t async, LnaDescList* returned, int32_t* row_count,
                              LnaRowBlock* block);
// 15: one row, for `count` columns.
int16_t _rpcLnaFetchSP(RpcConnection** handle, int32_t server_stmt, uint8_t async, uint16_t count,
                       const LnaFetchRequest* requests, LnaSizedRow* row);
// 18
int16_t _rpcLnaFreeStmtSP(RpcConnection** handle, int32_t server_stmt, uint16_t option);
// 21: a piece of a long column, at most buffer_size bytes of it.
int16_t _rpcLnaGetLongDataSP(RpcConnection** handle, int32_t server_stmt, uint16_t column,
                             int16_t c_type, int32_t buffer_size, uint8_t async,
                             LnaTypedValue* value, int32_t* length);
// 24
int16_t _rpcLnaParamDataSP(RpcConnection** handle, int32_t server_stmt, int32_t* result);
// 25
int16_t _rpcLnaPrepareMP(RpcConnection** handle, int32_t server_stmt, const char* sql,
                         uint8_t async, LnaColumnDesc** columns, uint16_t* column_count,
                         LnaParamDesc** param_descs, uint16_t* param_count);
// 32
int16_t _rpcLnaPutLongDataSP(RpcConnection** handle, int32_t server_stmt,
                             const LnaTypedValue* value, uint8_t async);
// 34
int16_t _rpcLnaSetCursorNameSP(RpcConnection** handle, int32_t server_stmt, const char* name);

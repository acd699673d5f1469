// The stubs of the catalog procedures. Each sends the statement's server id,
// its names (null travels as the null string) and the async byte, and hands
// back the result's column descriptions (MemFree) with their count, which
// never exceeds the array. The result is the server's status, or -20 for a
// local failure with the connection's error kind set.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/column_desc.h"

// 55
int16_t _rpcLnaColumnPrivilegesSP(RpcConnection** handle, int32_t server_stmt,
                                  const char* qualifier, const char* owner, const char* table,
                                  const char* column, uint8_t async, LnaColumnDesc** columns,
                                  uint16_t* count);
// 56
int16_t _rpcLnaColumnsSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                         const char* owner, const char* table, const char* column, uint8_t async,
                         LnaColumnDesc** columns, uint16_t* count);
// 57
int16_t _rpcLnaForeignKeysSP(RpcConnection** handle, int32_t server_stmt, const char* pk_qualifier,
                             const char* pk_owner, const char* pk_table, const char* fk_qualifier,
                             const char* fk_owner, const char* fk_table, uint8_t async,
                             LnaColumnDesc** columns, uint16_t* count);
// 58
int16_t _rpcLnaPrimaryKeysSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                             const char* owner, const char* table, uint8_t async,
                             LnaColumnDesc** columns, uint16_t* count);
// 59
int16_t _rpcLnaProcedureColumnsSP(RpcConnection** handle, int32_t server_stmt,
                                  const char* qualifier, const char* owner, const char* procedure,
                                  const char* column, uint8_t async, LnaColumnDesc** columns,
                                  uint16_t* count);
// 60
int16_t _rpcLnaProceduresSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                            const char* owner, const char* procedure, uint8_t async,
                            LnaColumnDesc** columns, uint16_t* count);
// 61
int16_t _rpcLnaSpecialColumnsSP(RpcConnection** handle, int32_t server_stmt, uint16_t column_type,
                                const char* qualifier, const char* owner, const char* table,
                                uint16_t scope, uint16_t nullable, uint8_t async,
                                LnaColumnDesc** columns, uint16_t* count);
// 62
int16_t _rpcLnaStatisticsSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                            const char* owner, const char* table, uint16_t unique,
                            uint16_t accuracy, uint8_t async, LnaColumnDesc** columns,
                            uint16_t* count);
// 63
int16_t _rpcLnaTablePrivilegesSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                                 const char* owner, const char* table, uint8_t async,
                                 LnaColumnDesc** columns, uint16_t* count);
// 64
int16_t _rpcLnaTablesSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                        const char* owner, const char* table, int32_t table_types, uint8_t async,
                        LnaColumnDesc** columns, uint16_t* count);

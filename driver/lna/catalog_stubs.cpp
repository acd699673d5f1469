#include "driver/lna/catalog_stubs.h"

#include <initializer_list>

#include "driver/lna/reply_parts.h"
#include "driver/lna/rpc_stub.h"
#include "wire/protocol.h"

namespace {

int PutNames(MsgBuf* b, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (!MsgBufPutString(b, name)) return 0;
  return 1;
}

template <typename Pack>
int16_t Catalog(RpcConnection** handle, uint32_t procedure, int32_t stmt, Pack&& pack,
                uint8_t async, LnaColumnDesc** columns, uint16_t* count) {
  *columns = nullptr;
  *count = 0;
  return RpcRun(
      RpcHandleConn(handle), procedure,
      [&](MsgBuf* b) { return MsgBufPutI32(b, stmt) && pack(b) && MsgBufPutU8(b, async); },
      [&](MsgBuf* b) { return ReadColumnDescs(b, columns, count); },
      [&] { FreeColumnDescs(columns, count); });
}

}  // namespace

int16_t _rpcLnaColumnPrivilegesSP(RpcConnection** handle, int32_t server_stmt,
                                  const char* qualifier, const char* owner, const char* table,
                                  const char* column, uint8_t async, LnaColumnDesc** columns,
                                  uint16_t* count) {
  return Catalog(
      handle, kRpcColumnPrivileges, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, table, column});
      },
      async, columns, count);
}

int16_t _rpcLnaColumnsSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                         const char* owner, const char* table, const char* column, uint8_t async,
                         LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcColumns, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, table, column});
      },
      async, columns, count);
}

int16_t _rpcLnaForeignKeysSP(RpcConnection** handle, int32_t server_stmt, const char* pk_qualifier,
                             const char* pk_owner, const char* pk_table, const char* fk_qualifier,
                             const char* fk_owner, const char* fk_table, uint8_t async,
                             LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcForeignKeys, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {pk_qualifier, pk_owner, pk_table, fk_qualifier, fk_owner, fk_table});
      },
      async, columns, count);
}

int16_t _rpcLnaPrimaryKeysSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                             const char* owner, const char* table, uint8_t async,
                             LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcPrimaryKeys, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, table});
      },
      async, columns, count);
}

int16_t _rpcLnaProcedureColumnsSP(RpcConnection** handle, int32_t server_stmt,
                                  const char* qualifier, const char* owner, const char* procedure,
                                  const char* column, uint8_t async, LnaColumnDesc** columns,
                                  uint16_t* count) {
  return Catalog(
      handle, kRpcProcedureColumns, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, procedure, column});
      },
      async, columns, count);
}

int16_t _rpcLnaProceduresSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                            const char* owner, const char* procedure, uint8_t async,
                            LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcProcedures, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, procedure});
      },
      async, columns, count);
}

int16_t _rpcLnaSpecialColumnsSP(RpcConnection** handle, int32_t server_stmt, uint16_t column_type,
                                const char* qualifier, const char* owner, const char* table,
                                uint16_t scope, uint16_t nullable, uint8_t async,
                                LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcSpecialColumns, server_stmt,
      [&](MsgBuf* b) {
        return MsgBufPutU16(b, column_type) && PutNames(b, {qualifier, owner, table}) &&
               MsgBufPutU16(b, scope) && MsgBufPutU16(b, nullable);
      },
      async, columns, count);
}

int16_t _rpcLnaStatisticsSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                            const char* owner, const char* table, uint16_t unique,
                            uint16_t accuracy, uint8_t async, LnaColumnDesc** columns,
                            uint16_t* count) {
  return Catalog(
      handle, kRpcStatistics, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, table}) && MsgBufPutU16(b, unique) &&
               MsgBufPutU16(b, accuracy);
      },
      async, columns, count);
}

int16_t _rpcLnaTablePrivilegesSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                                 const char* owner, const char* table, uint8_t async,
                                 LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcTablePrivileges, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, table});
      },
      async, columns, count);
}

int16_t _rpcLnaTablesSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                        const char* owner, const char* table, int32_t table_types, uint8_t async,
                        LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(
      handle, kRpcTables, server_stmt,
      [&](MsgBuf* b) {
        return PutNames(b, {qualifier, owner, table}) && MsgBufPutI32(b, table_types);
      },
      async, columns, count);
}

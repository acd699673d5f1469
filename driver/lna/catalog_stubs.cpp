#include "driver/lna/catalog_stubs.h"

#include <initializer_list>

#include "driver/lna/reply_parts.h"
#include "driver/lna/rpc_stub.h"
#include "wire/calls.h"
#include "wire/protocol.h"

namespace {

CatalogRequest Named(uint32_t procedure, int32_t stmt, uint8_t async,
                     std::initializer_list<const char*> names) {
  CatalogRequest request;
  request.procedure = procedure;
  request.statement = stmt;
  request.async = async;
  for (const char* name : names)
    request.names.push_back(name == nullptr ? WireText() : WireText(name));
  return request;
}

int16_t Catalog(RpcConnection** handle, const CatalogRequest& request, LnaColumnDesc** columns,
                uint16_t* count) {
  ColumnDescList reply;
  int16_t status = RpcRun(
      RpcHandleConn(handle), request.procedure, [&](MsgBuf* b) { return Encode(b, request); },
      [&](MsgBuf* b) { return Decode(b, &reply); },
      [&] { FreeColumnDescs(&reply.columns, &reply.count); });
  *columns = reply.columns;
  *count = reply.count;
  return status;
}

}  // namespace

int16_t _rpcLnaColumnPrivilegesSP(RpcConnection** handle, int32_t server_stmt,
                                  const char* qualifier, const char* owner, const char* table,
                                  const char* column, uint8_t async, LnaColumnDesc** columns,
                                  uint16_t* count) {
  return Catalog(handle,
                 Named(kRpcColumnPrivileges, server_stmt, async, {qualifier, owner, table, column}),
                 columns, count);
}

int16_t _rpcLnaColumnsSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                         const char* owner, const char* table, const char* column, uint8_t async,
                         LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(handle, Named(kRpcColumns, server_stmt, async, {qualifier, owner, table, column}),
                 columns, count);
}

int16_t _rpcLnaForeignKeysSP(RpcConnection** handle, int32_t server_stmt, const char* pk_qualifier,
                             const char* pk_owner, const char* pk_table, const char* fk_qualifier,
                             const char* fk_owner, const char* fk_table, uint8_t async,
                             LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(handle,
                 Named(kRpcForeignKeys, server_stmt, async,
                       {pk_qualifier, pk_owner, pk_table, fk_qualifier, fk_owner, fk_table}),
                 columns, count);
}

int16_t _rpcLnaPrimaryKeysSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                             const char* owner, const char* table, uint8_t async,
                             LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(handle, Named(kRpcPrimaryKeys, server_stmt, async, {qualifier, owner, table}),
                 columns, count);
}

int16_t _rpcLnaProcedureColumnsSP(RpcConnection** handle, int32_t server_stmt,
                                  const char* qualifier, const char* owner, const char* procedure,
                                  const char* column, uint8_t async, LnaColumnDesc** columns,
                                  uint16_t* count) {
  return Catalog(
      handle,
      Named(kRpcProcedureColumns, server_stmt, async, {qualifier, owner, procedure, column}),
      columns, count);
}

int16_t _rpcLnaProceduresSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                            const char* owner, const char* procedure, uint8_t async,
                            LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(handle, Named(kRpcProcedures, server_stmt, async, {qualifier, owner, procedure}),
                 columns, count);
}

int16_t _rpcLnaSpecialColumnsSP(RpcConnection** handle, int32_t server_stmt, uint16_t column_type,
                                const char* qualifier, const char* owner, const char* table,
                                uint16_t scope, uint16_t nullable, uint8_t async,
                                LnaColumnDesc** columns, uint16_t* count) {
  CatalogRequest request = Named(kRpcSpecialColumns, server_stmt, async, {qualifier, owner, table});
  request.column_type = column_type;
  request.scope = scope;
  request.nullable = nullable;
  return Catalog(handle, request, columns, count);
}

int16_t _rpcLnaStatisticsSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                            const char* owner, const char* table, uint16_t unique,
                            uint16_t accuracy, uint8_t async, LnaColumnDesc** columns,
                            uint16_t* count) {
  CatalogRequest request = Named(kRpcStatistics, server_stmt, async, {qualifier, owner, table});
  request.unique = unique;
  request.accuracy = accuracy;
  return Catalog(handle, request, columns, count);
}

int16_t _rpcLnaTablePrivilegesSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                                 const char* owner, const char* table, uint8_t async,
                                 LnaColumnDesc** columns, uint16_t* count) {
  return Catalog(handle, Named(kRpcTablePrivileges, server_stmt, async, {qualifier, owner, table}),
                 columns, count);
}

int16_t _rpcLnaTablesSP(RpcConnection** handle, int32_t server_stmt, const char* qualifier,
                        const char* owner, const char* table, int32_t table_types, uint8_t async,
                        LnaColumnDesc** columns, uint16_t* count) {
  CatalogRequest request = Named(kRpcTables, server_stmt, async, {qualifier, owner, table});
  request.table_types = static_cast<uint32_t>(table_types);
  return Catalog(handle, request, columns, count);
}

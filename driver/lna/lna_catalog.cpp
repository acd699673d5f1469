// The ten catalog operations: each describes a new result by its columns.
#include <string>

#include "driver/lna/catalog_stubs.h"
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_buffers.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_trace_args.h"
#include "wire/protocol.h"

namespace {

struct NamedText {
  const char* label;
  const char* value;
};

struct CatalogCall {
  const char* name;  // the operation, as its trace names it
  const char* stub;  // the stub's exit name
  uint32_t procedure;
  int32_t location;  // of the broken-connection refusal
  bool trace_stub;   // the stub call has its own lines
  std::initializer_list<NamedText> texts;
};

void TraceTexts(TraceHandle* trace, std::initializer_list<NamedText> texts) {
  for (const NamedText& t : texts)
    TracePrintf(trace, "%s = \"%-.512s\"\n", t.label, TraceText(t.value));
}

std::string ArgList(std::initializer_list<NamedText> texts) {
  std::string line;
  for (const NamedText& t : texts) {
    line += ", ";
    line += t.label;
  }
  return line;
}

// The frame every catalog operation runs in; `send` (RpcConnection**,
// server statement) -> status runs the stub.
template <typename Send>
int16_t RunCatalog(LnaStatement* stmt, const CatalogCall& call, LnaColumnDesc** columns,
                   uint16_t* count, uint8_t async, Send&& send) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  std::string args = ArgList(call.texts);
  TraceEnter(trace, "%s(0x%08lx%s, %s)", call.name, TraceAddr(stmt), args.c_str(),
             TraceBool(async));
  TraceTexts(trace, call.texts);
  if (LnaIsBroken(conn)) {
    int16_t refused = RefuseBroken(nullptr, stmt, call.location);
    TraceReturn(trace, call.name, refused);
    return refused;
  }
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, call.procedure, async, &skip);
  if (rc == kLnaOk) {
    if (call.trace_stub) {
      TracePrintf(trace, "_rpc%s(0x%08lx, 0x%08lx%s, %s)\n", call.name, TraceAddr(conn->rpc),
                  static_cast<unsigned long>(stmt->server_stmt), args.c_str(), TraceBool(async));
      TraceTexts(trace, call.texts);
    }
    {
      LnaStmtCall on_wire(stmt);
      rc = send(&conn->rpc, stmt->server_stmt);
      TraceReturn(trace, call.stub, rc);
      rc = on_wire.Settle(rc, call.procedure);
    }
    rc = _rcLnaEndStmtAsync(stmt, call.procedure, rc, async, &skip);
    if (!skip && (rc == kLnaOk || rc == kLnaInfo || rc == kLnaStillExecuting)) {
      // The server's warning (status 1) is passed on, so that the driver
      // reads it now and it is not left for an unrelated later call.
      int16_t set = LnaSetResultColumns(stmt, *count, *columns);
      if (set != kLnaOk) rc = set;
    }
  } else if (rc != kLnaStillExecuting) {
    TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal = %d\n", rc);
  }
  TraceReturn(trace, call.name, rc);
  return rc;
}

}  // namespace

int16_t LnaColumnsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                     const char* table, const char* column, LnaColumnDesc** columns,
                     uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaColumnsSP",
                   "_rpcLnaColumnsSP",
                   kRpcColumns,
                   kLocCatalogBase + 1,
                   false,
                   {{"pszTableQual", qualifier},
                    {"pszTableOwner", owner},
                    {"pszTableName", table},
                    {"pszColName", column}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaColumnsSP(rpc, id, qualifier, owner, table, column, async, columns, count);
  });
}

int16_t LnaTablesSP(LnaStatement* stmt, const char* qualifier, const char* owner, const char* table,
                    uint32_t table_types, LnaColumnDesc** columns, uint16_t* count, uint8_t async) {
  CatalogCall call{
      "LnaTablesSP",
      "_rpcLnaTablesSP",
      kRpcTables,
      kLocCatalogBase + 2,
      true,
      {{"pszTableQualifier", qualifier}, {"pszTableOwner", owner}, {"pszTableName", table}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaTablesSP(rpc, id, qualifier, owner, table, static_cast<int32_t>(table_types),
                           async, columns, count);
  });
}

int16_t LnaSpecialColumnsSP(LnaStatement* stmt, uint16_t column_type, const char* qualifier,
                            const char* owner, const char* table, uint16_t scope, uint16_t nullable,
                            LnaColumnDesc** columns, uint16_t* count, uint8_t async) {
  CatalogCall call{
      "LnaSpecialColumnsSP",
      "_rpcSpecialColumnsLnaSP",
      kRpcSpecialColumns,
      kLocCatalogBase + 3,
      true,
      {{"pszTableQualifier", qualifier}, {"pszTableOwner", owner}, {"pszTableName", table}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaSpecialColumnsSP(rpc, id, column_type, qualifier, owner, table, scope, nullable,
                                   async, columns, count);
  });
}

int16_t LnaStatisticsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                        const char* table, uint16_t unique, uint16_t accuracy,
                        LnaColumnDesc** columns, uint16_t* count, uint8_t async) {
  CatalogCall call{
      "LnaStatisticsSP",
      "_rpcLnaStatisticsSP",
      kRpcStatistics,
      kLocCatalogBase + 4,
      true,
      {{"pszTableQualifier", qualifier}, {"pszTableOwner", owner}, {"pszTableName", table}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaStatisticsSP(rpc, id, qualifier, owner, table, unique, accuracy, async, columns,
                               count);
  });
}

int16_t LnaPrimaryKeysSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                         const char* table, LnaColumnDesc** columns, uint16_t* count,
                         uint8_t async) {
  CatalogCall call{
      "LnaPrimaryKeysSP",
      "_rpcLnaPrimaryKeysSP",
      kRpcPrimaryKeys,
      kLocCatalogBase + 5,
      true,
      {{"pszTableQualifier", qualifier}, {"pszTableOwner", owner}, {"pszTableName", table}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaPrimaryKeysSP(rpc, id, qualifier, owner, table, async, columns, count);
  });
}

int16_t LnaForeignKeysSP(LnaStatement* stmt, const char* pk_qualifier, const char* pk_owner,
                         const char* pk_table, const char* fk_qualifier, const char* fk_owner,
                         const char* fk_table, LnaColumnDesc** columns, uint16_t* count,
                         uint8_t async) {
  CatalogCall call{"LnaForeignKeysSP",
                   "_rpcLnaForeignKeysSP",
                   kRpcForeignKeys,
                   kLocCatalogBase + 6,
                   true,
                   {{"pszTableQualifier", pk_qualifier},
                    {"pszTableOwner", pk_owner},
                    {"pszTableName", pk_table},
                    {"pszFKTableQualifier", fk_qualifier},
                    {"pszFKTableOwner", fk_owner},
                    {"pszFKTableName", fk_table}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaForeignKeysSP(rpc, id, pk_qualifier, pk_owner, pk_table, fk_qualifier, fk_owner,
                                fk_table, async, columns, count);
  });
}

int16_t LnaColumnPrivilegesSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                              const char* table, const char* column, LnaColumnDesc** columns,
                              uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaColumnPrivilegesSP",
                   "_rpcLnaColumnPrivilegesSP",
                   kRpcColumnPrivileges,
                   kLocCatalogBase + 7,
                   true,
                   {{"pszTableQualifier", qualifier},
                    {"pszTableOwner", owner},
                    {"pszTableName", table},
                    {"pszColumnName", column}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaColumnPrivilegesSP(rpc, id, qualifier, owner, table, column, async, columns,
                                     count);
  });
}

int16_t LnaTablePrivilegesSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                             const char* table, LnaColumnDesc** columns, uint16_t* count,
                             uint8_t async) {
  CatalogCall call{
      "LnaTablePrivilegesSP",
      "_rpcLnaTablePrivilegesSP",
      kRpcTablePrivileges,
      kLocCatalogBase + 8,
      true,
      {{"pszTableQualifier", qualifier}, {"pszTableOwner", owner}, {"pszTableName", table}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaTablePrivilegesSP(rpc, id, qualifier, owner, table, async, columns, count);
  });
}

int16_t LnaProcedureColumnsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                              const char* procedure, const char* column, LnaColumnDesc** columns,
                              uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaProcedureColumnsSP",
                   "_rpcLnaProcedureColumnsSP",
                   kRpcProcedureColumns,
                   kLocCatalogBase + 9,
                   true,
                   {{"pszProcQual", qualifier},
                    {"pszProcOwner", owner},
                    {"pszProcName", procedure},
                    {"pszColName", column}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaProcedureColumnsSP(rpc, id, qualifier, owner, procedure, column, async, columns,
                                     count);
  });
}

int16_t LnaProceduresSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                        const char* procedure, LnaColumnDesc** columns, uint16_t* count,
                        uint8_t async) {
  CatalogCall call{
      "LnaProceduresSP",
      "_rpcLnaProceduresSP",
      kRpcProcedures,
      kLocCatalogBase + 10,
      true,
      {{"pszProcQual", qualifier}, {"pszProcOwner", owner}, {"pszProcName", procedure}}};
  return RunCatalog(stmt, call, columns, count, async, [&](RpcConnection** rpc, int32_t id) {
    return _rpcLnaProceduresSP(rpc, id, qualifier, owner, procedure, async, columns, count);
  });
}

// The ten catalog operations: each describes a new result by its columns.
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/lna/catalog_stubs.h"
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_buffers.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_trace_args.h"
#include "wire/calls.h"
#include "wire/protocol.h"

namespace {

struct CatalogCall {
  const char* name;                           // the operation, as its trace names it
  const char* stub;                           // the stub's exit name
  int32_t location;                           // of the broken-connection refusal
  bool trace_stub;                            // the stub call has its own lines
  std::initializer_list<const char*> labels;  // the trace's names of the request's names
};

std::vector<WireText> Names(std::initializer_list<const char*> texts) {
  std::vector<WireText> names;
  for (const char* text : texts) names.push_back(TextOrNull(text));
  return names;
}

void TraceTexts(TraceHandle* trace, const CatalogCall& call, const CatalogRequest& request) {
  size_t i = 0;
  for (const char* label : call.labels) {
    const WireText& name = request.names[i++];
    TracePrintf(trace, "%s = \"%-.512s\"\n", label, TraceText(name ? name->c_str() : nullptr));
  }
}

std::string ArgList(const CatalogCall& call) {
  std::string line;
  for (const char* label : call.labels) {
    line += ", ";
    line += label;
  }
  return line;
}

// The frame every catalog operation runs in: `request` goes out with the
// statement's server id.
int16_t RunCatalog(LnaStatement* stmt, const CatalogCall& call, CatalogRequest& request,
                   LnaColumnDesc** columns, uint16_t* count) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  uint8_t async = request.async;
  std::string args = ArgList(call);
  TraceEnter(trace, "%s(0x%08lx%s, %s)", call.name, TraceAddr(stmt), args.c_str(),
             TraceBool(async));
  TraceTexts(trace, call, request);
  if (LnaIsBroken(conn)) {
    int16_t refused = RefuseBroken(nullptr, stmt, call.location);
    TraceReturn(trace, call.name, refused);
    return refused;
  }
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, request.procedure, async, &skip);
  if (rc == kLnaOk) {
    if (call.trace_stub) {
      TracePrintf(trace, "_rpc%s(0x%08lx, 0x%08lx%s, %s)\n", call.name, TraceAddr(conn->rpc),
                  static_cast<unsigned long>(stmt->server_stmt), args.c_str(), TraceBool(async));
      TraceTexts(trace, call, request);
    }
    {
      LnaStmtCall on_wire(stmt);
      request.statement = stmt->server_stmt;
      rc = _rpcLnaCatalogSP(&conn->rpc, request, columns, count);
      TraceReturn(trace, call.stub, rc);
      rc = on_wire.Settle(rc, request.procedure);
    }
    rc = _rcLnaEndStmtAsync(stmt, request.procedure, rc, async, &skip);
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
                   kLocCatalogBase + 1,
                   false,
                   {"pszTableQual", "pszTableOwner", "pszTableName", "pszColName"}};
  CatalogRequest request{
      .procedure = kRpcColumns, .names = Names({qualifier, owner, table, column}), .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaTablesSP(LnaStatement* stmt, const char* qualifier, const char* owner, const char* table,
                    uint32_t table_types, LnaColumnDesc** columns, uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaTablesSP",
                   "_rpcLnaTablesSP",
                   kLocCatalogBase + 2,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName"}};
  CatalogRequest request{.procedure = kRpcTables,
                         .names = Names({qualifier, owner, table}),
                         .table_types = table_types,
                         .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaSpecialColumnsSP(LnaStatement* stmt, uint16_t column_type, const char* qualifier,
                            const char* owner, const char* table, uint16_t scope, uint16_t nullable,
                            LnaColumnDesc** columns, uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaSpecialColumnsSP",
                   "_rpcSpecialColumnsLnaSP",
                   kLocCatalogBase + 3,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName"}};
  CatalogRequest request{.procedure = kRpcSpecialColumns,
                         .names = Names({qualifier, owner, table}),
                         .column_type = column_type,
                         .scope = scope,
                         .nullable = nullable,
                         .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaStatisticsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                        const char* table, uint16_t unique, uint16_t accuracy,
                        LnaColumnDesc** columns, uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaStatisticsSP",
                   "_rpcLnaStatisticsSP",
                   kLocCatalogBase + 4,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName"}};
  CatalogRequest request{.procedure = kRpcStatistics,
                         .names = Names({qualifier, owner, table}),
                         .unique = unique,
                         .accuracy = accuracy,
                         .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaPrimaryKeysSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                         const char* table, LnaColumnDesc** columns, uint16_t* count,
                         uint8_t async) {
  CatalogCall call{"LnaPrimaryKeysSP",
                   "_rpcLnaPrimaryKeysSP",
                   kLocCatalogBase + 5,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName"}};
  CatalogRequest request{
      .procedure = kRpcPrimaryKeys, .names = Names({qualifier, owner, table}), .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaForeignKeysSP(LnaStatement* stmt, const char* pk_qualifier, const char* pk_owner,
                         const char* pk_table, const char* fk_qualifier, const char* fk_owner,
                         const char* fk_table, LnaColumnDesc** columns, uint16_t* count,
                         uint8_t async) {
  CatalogCall call{"LnaForeignKeysSP",
                   "_rpcLnaForeignKeysSP",
                   kLocCatalogBase + 6,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName", "pszFKTableQualifier",
                    "pszFKTableOwner", "pszFKTableName"}};
  CatalogRequest request{
      .procedure = kRpcForeignKeys,
      .names = Names({pk_qualifier, pk_owner, pk_table, fk_qualifier, fk_owner, fk_table}),
      .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaColumnPrivilegesSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                              const char* table, const char* column, LnaColumnDesc** columns,
                              uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaColumnPrivilegesSP",
                   "_rpcLnaColumnPrivilegesSP",
                   kLocCatalogBase + 7,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName", "pszColumnName"}};
  CatalogRequest request{.procedure = kRpcColumnPrivileges,
                         .names = Names({qualifier, owner, table, column}),
                         .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaTablePrivilegesSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                             const char* table, LnaColumnDesc** columns, uint16_t* count,
                             uint8_t async) {
  CatalogCall call{"LnaTablePrivilegesSP",
                   "_rpcLnaTablePrivilegesSP",
                   kLocCatalogBase + 8,
                   true,
                   {"pszTableQualifier", "pszTableOwner", "pszTableName"}};
  CatalogRequest request{
      .procedure = kRpcTablePrivileges, .names = Names({qualifier, owner, table}), .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaProcedureColumnsSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                              const char* procedure, const char* column, LnaColumnDesc** columns,
                              uint16_t* count, uint8_t async) {
  CatalogCall call{"LnaProcedureColumnsSP",
                   "_rpcLnaProcedureColumnsSP",
                   kLocCatalogBase + 9,
                   true,
                   {"pszProcQual", "pszProcOwner", "pszProcName", "pszColName"}};
  CatalogRequest request{.procedure = kRpcProcedureColumns,
                         .names = Names({qualifier, owner, procedure, column}),
                         .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

int16_t LnaProceduresSP(LnaStatement* stmt, const char* qualifier, const char* owner,
                        const char* procedure, LnaColumnDesc** columns, uint16_t* count,
                        uint8_t async) {
  CatalogCall call{"LnaProceduresSP",
                   "_rpcLnaProceduresSP",
                   kLocCatalogBase + 10,
                   true,
                   {"pszProcQual", "pszProcOwner", "pszProcName"}};
  CatalogRequest request{
      .procedure = kRpcProcedures, .names = Names({qualifier, owner, procedure}), .async = async};
  return RunCatalog(stmt, call, request, columns, count);
}

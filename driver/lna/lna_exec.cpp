// Prepare, execute and direct execution.
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_param_values.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_buffers.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/protocol.h"

namespace {

bool Succeeded(int16_t rc) {
  return rc == kLnaOk || rc == kLnaInfo || rc == kLnaStillExecuting;
}

// The descriptor lists of one execution, freed on every path.
struct ExecLists {
  LnaDescList params{};
  LnaDescList columns{};
  LnaDescList returned{};
  ~ExecLists() { LnaFreeDescs(&params, &columns, &returned); }
};

int16_t BuildLists(LnaStatement* stmt, uint16_t in_count, const ParamValueEntry* in_list,
                   uint16_t out_count, const ParamValueEntry* out_list, ExecLists* lists) {
  if (!LnaBuildParamDescs(in_count, in_list, &lists->params)) {
    PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocParamDescs);
    return kLnaFailed;
  }
  if (!LnaBuildColumnDescs(out_count, out_list, &lists->columns)) {
    PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocOutputDescs);
    return kLnaFailed;
  }
  return kLnaOk;
}

// Values sent back for the second list; a value of another C type than
// its binding asked for is refused as an unreadable reply.
int16_t KeepReturned(LnaStatement* stmt, uint16_t out_count, ParamValueEntry* out_list,
                     ExecLists* lists, uint32_t procedure, int16_t rc) {
  if (LnaKeepColumnDescs(out_count, out_list, &lists->returned)) return rc;
  PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgUnpack,
               kLocTransportBase + static_cast<int32_t>(procedure));
  return kLnaFailed;
}

// Fetch state after an execution: 2 when its first row block came with it,
// also with a warning or with long columns when the block holds rows, so
// that every row the server sent is handed out before the next block is
// asked for.
void SetExecFetchState(LnaStatement* stmt, int16_t rc) {
  bool block = stmt->conn->array_fetch && (rc == kLnaOk || rc == kLnaInfo) &&
               (!stmt->long_columns || stmt->block.count > 0);
  stmt->fetch_state = block ? kLnaNewResultWithBlock : kLnaNewResult;
}

}  // namespace

int16_t LnaPrepareMP(LnaStatement* stmt, const char* sql, LnaColumnDesc** columns,
                     uint16_t* column_count, LnaParamDesc** params, uint16_t* param_count,
                     uint8_t async) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace,
             "LnaPrepareMP(0x%08lx, pszSqlStr, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, %s )",
             TraceAddr(stmt), TraceAddr(columns), TraceAddr(column_count), TraceAddr(params),
             TraceAddr(param_count), 0ul, TraceBool(async));
  TracePrintf(trace, " pszSqlStr = \"%-.512s\"\n", TraceText(sql));
  if (LnaIsBroken(conn)) {
    int16_t refused = RefuseBroken(nullptr, stmt, kLocPrepare);
    TraceReturn(trace, "LnaPrepareMP", refused);
    return refused;
  }
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, kRpcPrepare, async, &skip);
  if (rc == kLnaOk) {
    LnaResetStmt(stmt);
    TracePrintf(trace,
                "_rpcLnaPrepareMP(0x%08lx, 0x%08lx, pszSqlStr, 0x%08lx, 0x%08lx, 0x%08lx, "
                "0x%08lx, %s )\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt),
                TraceAddr(columns), TraceAddr(column_count), TraceAddr(params),
                TraceAddr(param_count), TraceBool(async));
    LnaStmtCall on_wire(stmt);
    rc = _rpcLnaPrepareMP(&conn->rpc, stmt->server_stmt, sql, async, columns, column_count, params,
                          param_count);
    TraceReturn(trace, "_rpcLnaPrepareMP", rc);
    rc = on_wire.Settle(rc, kRpcPrepare);
    rc = _rcLnaEndStmtAsync(stmt, kRpcPrepare, rc, async, &skip);
    if (!skip && Succeeded(rc) && *column_count != 0) {
      int16_t set = LnaSetResultColumns(stmt, *column_count, *columns);
      if (set != kLnaOk) rc = set;
    }
  } else if (rc != kLnaStillExecuting) {
    TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal = %d\n", rc);
  }
  TraceReturn(trace, "LnaPrepareMP", rc);
  return rc;
}

int16_t LnaExecuteMP(LnaStatement* stmt, uint16_t in_count, const ParamValueEntry* in_list,
                     uint16_t out_count, ParamValueEntry* out_list, int32_t* row_count,
                     uint8_t async) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaExecuteMP(0x%08lx, %u, 0x%08lx, %u, 0x%08lx, 0x%08lx, %s )",
             TraceAddr(stmt), in_count, TraceAddr(in_list), out_count, TraceAddr(out_list),
             TraceAddr(row_count), TraceBool(async));
  if (LnaIsBroken(conn)) {
    int16_t refused = RefuseBroken(nullptr, stmt, kLocExecute);
    TraceReturn(trace, "LnaExecuteMP", refused);
    return refused;
  }
  bool array = conn->array_fetch != 0;
  uint32_t procedure = array ? kRpcExecuteArray : kRpcExecute;
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, procedure, async, &skip);
  ExecLists lists;
  if (rc == kLnaOk)
    rc = BuildLists(stmt, in_count, in_list, out_count, out_list, &lists);
  else if (rc != kLnaStillExecuting)
    TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal = %d\n", rc);
  if (rc == kLnaOk) {
    int32_t rows = 0;
    TracePrintf(trace, "_rpcLnaExecuteMP(0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, %s )\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt),
                TraceAddr(&lists.params), TraceAddr(&lists.columns), TraceAddr(row_count),
                TraceBool(async));
    LnaStmtCall on_wire(stmt);
    if (array) {
      LnaFreeBlockBytes(stmt);
      rc = _rpcLnaExecuteArrayMP(&conn->rpc, stmt->server_stmt, &lists.params, &lists.columns,
                                 async, &lists.returned, &rows, &stmt->block);
    } else {
      rc = _rpcLnaExecuteMP(&conn->rpc, stmt->server_stmt, &lists.params, &lists.columns, async,
                            &lists.returned, &rows);
    }
    TraceReturn(trace, "_rpcLnaExecuteMP", rc);
    if (row_count != nullptr) *row_count = rows;
    rc = on_wire.Settle(rc, procedure);
    rc = _rcLnaEndStmtAsync(stmt, procedure, rc, async, &skip);
    if (!skip && (Succeeded(rc) || rc == kLnaNeedData)) {
      rc = KeepReturned(stmt, out_count, out_list, &lists, procedure, rc);
      if (rc != kLnaFailed) SetExecFetchState(stmt, rc);
    } else if (!skip) {
      TracePrintf(trace, "_rpcLnaExecuteMP failed. rcVal = %d\n", rc);
    }
  }
  TraceReturn(trace, "LnaExecuteMP", rc);
  return rc;
}

int16_t LnaExecDirectMP(LnaStatement* stmt, const char* sql, LnaColumnDesc** columns,
                        uint16_t* column_count, LnaParamDesc** params, uint16_t* param_count,
                        uint16_t in_count, const ParamValueEntry* in_list, uint16_t out_count,
                        ParamValueEntry* out_list, int32_t* row_count, uint8_t async) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace,
             "LnaExecDirectMP(0x%08lx, pszSqlStr, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, %u, "
             "0x%08lx, %u, 0x%08lx, 0x%08lx, %s )",
             TraceAddr(stmt), TraceAddr(columns), TraceAddr(column_count), TraceAddr(params),
             TraceAddr(param_count), in_count, TraceAddr(in_list), out_count, TraceAddr(out_list),
             TraceAddr(row_count), TraceBool(async));
  TracePrintf(trace, " pszSqlStr = \"%-.512s\"\n", TraceText(sql));
  if (LnaIsBroken(conn)) {
    int16_t refused = RefuseBroken(nullptr, stmt, kLocExecDirect);
    TraceReturn(trace, "LnaExecDirectMP", refused);
    return refused;
  }
  bool array = conn->array_fetch != 0;
  uint32_t procedure = array ? kRpcExecDirectArray : kRpcExecDirect;
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, kRpcExecDirect, async, &skip);
  if (rc == kLnaStillExecuting) {
    TraceReturn(trace, "LnaExecDirectMP", rc);
    return rc;
  }
  ExecLists lists;
  if (rc != kLnaOk) {
    TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal = %d\n", rc);
  } else {
    LnaResetStmt(stmt);
    rc = BuildLists(stmt, in_count, in_list, out_count, out_list, &lists);
  }
  if (rc == kLnaOk) {
    int32_t rows = 0;
    TracePrintf(trace,
                "_rpcLnaExecDirectMP(0x%08lx, 0x%08lx, pszSqlStr, 0x%08lx, 0x%08lx, 0x%08lx, "
                "0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, %s )\n",
                TraceAddr(conn->rpc), static_cast<unsigned long>(stmt->server_stmt),
                TraceAddr(&lists.params), TraceAddr(&lists.columns), TraceAddr(columns),
                TraceAddr(column_count), TraceAddr(params), TraceAddr(param_count),
                TraceAddr(row_count), TraceBool(async));
    TracePrintf(trace, " pszSqlStr = \"%-.512s\"\n", TraceText(sql));
    LnaStmtCall on_wire(stmt);
    if (array) {
      rc = _rpcLnaExecDirectArrayMP(&conn->rpc, stmt->server_stmt, sql, &lists.params,
                                    &lists.columns, async, columns, column_count, params,
                                    param_count, &lists.returned, &rows, &stmt->block);
    } else {
      rc = _rpcLnaExecDirectMP(&conn->rpc, stmt->server_stmt, sql, &lists.params, &lists.columns,
                               async, columns, column_count, params, param_count, &lists.returned,
                               &rows);
    }
    TraceReturn(trace, "_rpcExecDirectMP", rc);
    if (row_count != nullptr) *row_count = rows;
    rc = on_wire.Settle(rc, kRpcExecDirect);
    rc = _rcLnaEndStmtAsync(stmt, kRpcExecDirect, rc, async, &skip);
    if (!skip && Succeeded(rc)) {
      if (*column_count != 0) {
        int16_t set = LnaSetResultColumns(stmt, *column_count, *columns);
        if (set != kLnaOk) rc = set;
      }
      if (rc != kLnaFailed) rc = KeepReturned(stmt, out_count, out_list, &lists, procedure, rc);
      if (rc != kLnaFailed) SetExecFetchState(stmt, rc);
    }
  }
  TraceReturn(trace, "LnaExecDirectMP", rc);
  return rc;
}

#include "driver/lna/lna_records.h"

#include "common/pool.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_buffers.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/protocol.h"

namespace {

constexpr uint32_t kListCapacity = 4;

// The process-wide lock over the pool id and the connection list.
SynObj* g_lock = nullptr;
uint32_t g_lock_valid = 0;
int32_t g_pool = 0;
RecArray* g_connections = nullptr;

void LockGlobal() {
  if (g_lock_valid) rcSynObjLock(g_lock);
}
void UnlockGlobal() {
  if (g_lock_valid) SemLeave(g_lock);
}

void LockConn(LnaConnection* conn) {
  if (conn->lock_valid) rcSynObjLock(conn->lock);
}
void UnlockConn(LnaConnection* conn) {
  if (conn->lock_valid) SemLeave(conn->lock);
}

void DropGlobals() {
  ArrDestroy(g_connections);
  g_connections = nullptr;
  if (g_pool > 0) PoolDestroy(g_pool);
  g_pool = 0;
}

// Takes the statement record off its connection's list.
void RemoveStmt(LnaConnection* conn, LnaStatement* stmt) {
  LockConn(conn);
  uint32_t index = 0;
  if (conn->statements != nullptr && ArrFind(conn->statements, &stmt, &index) == kArrOk) {
    ArrRemoveAt(conn->statements, index);
    PoolFree(g_pool, stmt);
  }
  UnlockConn(conn);
}

// Records are allocated one by one and the lists hold their addresses: a
// list that grows or closes a gap moves its elements, and the driver keeps
// the addresses for the records' whole lives.
void* NewRecord(RecArray* list, size_t size) {
  if (list == nullptr) return nullptr;
  void* record = PoolAlloc(g_pool, size);
  if (record == nullptr) return nullptr;
  if (ArrAppend(list, &record) != kArrOk) {
    PoolFree(g_pool, record);
    return nullptr;
  }
  return record;
}

void ReleaseStmtBuffers(LnaStatement* stmt) {
  LnaResetStmt(stmt);
  LnaFreeColumnState(stmt);
}

}  // namespace

int32_t LnaInit() {
  int32_t rc = SynObjCreate(&g_lock);
  if (rc == kSynObjOk) g_lock_valid = 1;
  return rc;
}

void LnaTerm() {
  if (!g_lock_valid) return;
  SynObjDelete(&g_lock);
  g_lock_valid = 0;
}

int16_t LnaAllocConnect(LnaConnection** out) {
  if (out == nullptr) return kLnaNoRecord;
  *out = nullptr;
  LockGlobal();
  if (g_pool <= 0) g_pool = PoolAllocId();
  if (g_pool > 0 && g_connections == nullptr)
    g_connections = ArrCreate(kListCapacity, sizeof(LnaConnection*), 0, g_pool);
  if (g_pool <= 0 || g_connections == nullptr) {
    DropGlobals();
    UnlockGlobal();
    return kLnaNoMemory;
  }
  auto* conn = static_cast<LnaConnection*>(NewRecord(g_connections, sizeof(LnaConnection)));
  UnlockGlobal();
  if (conn == nullptr) return kLnaNoMemory;
  conn->array_buffer_size = kDefaultArrayBuffer;

  int16_t result = kLnaOk;
  if (SynObjCreate(&conn->lock) == kSynObjOk)
    conn->lock_valid = 1;
  else
    result = kLnaNoMemory;
  conn->statements = ArrCreate(kListCapacity, sizeof(LnaStatement*), 0, g_pool);
  if (conn->statements == nullptr) {
    PostLnaError(conn, nullptr, kLnaMsgNoMemory, 0, kLocStmtList);
    result = kLnaNoMemory;
  }
  // Also on failure: the caller frees it with LnaFreeConnect.
  *out = conn;
  return result;
}

void LnaFreeConnectParts(LnaConnection* conn) {
  if (conn == nullptr) return;
  if (conn->statements != nullptr) {
    // Statements the driver never dropped still own fetch buffers.
    for (uint32_t i = 0; i < conn->statements->count; ++i) {
      auto* stmt = *static_cast<LnaStatement**>(ArrAt(conn->statements, i));
      ReleaseStmtBuffers(stmt);
      PoolFree(g_pool, stmt);
    }
    ArrDestroy(conn->statements);
    conn->statements = nullptr;
  }
  if (conn->lock_valid) {
    SynObjDelete(&conn->lock);
    conn->lock_valid = 0;
  }
  LockGlobal();
  uint32_t index = 0;
  if (g_connections != nullptr && ArrFind(g_connections, &conn, &index) == kArrOk) {
    ArrRemoveAt(g_connections, index);
    PoolFree(g_pool, conn);
  }
  UnlockGlobal();
}

void LnaRemoveConnect() {
  LockGlobal();
  if (g_connections != nullptr && ArrCount(g_connections) == 0) DropGlobals();
  UnlockGlobal();
}

void LnaFreeConnect(LnaConnection* conn) {
  if (conn != nullptr) {
    // A logout that never completed leaves the socket and the trace open.
    RpcConnClose(conn->rpc);
    conn->rpc = nullptr;
    TraceClose(conn->trace);
    conn->trace = nullptr;
  }
  LnaFreeConnectParts(conn);
  LnaRemoveConnect();
}

uint32_t TEST_LnaConnectionCount() {
  LockGlobal();
  uint32_t n = g_connections != nullptr ? ArrCount(g_connections) : 0;
  UnlockGlobal();
  return n;
}

int LnaIsConnected(const LnaConnection* conn) {
  return conn != nullptr && conn->rpc != nullptr ? 1 : 0;
}

int16_t LnaAllocStmtSP(LnaConnection* conn, LnaStatement** out) {
  if (conn == nullptr || out == nullptr) return kLnaNoRecord;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaAllocStmtSP(0x%08lx, 0x%08lx)", TraceAddr(conn), TraceAddr(out));
  int16_t result = kLnaOk;
  LnaStatement* stmt = nullptr;
  if (LnaIsBroken(conn)) {
    result = RefuseBroken(conn, nullptr, kLocAllocStmt);
  } else {
    stmt = LnaAddStmtRecord(conn);
    if (stmt == nullptr) {
      PostLnaError(conn, nullptr, kLnaMsgNoMemory, 0, kLocStmtRecord);
      result = kLnaFailed;
    }
  }
  if (stmt != nullptr) {
    int32_t server_stmt = 0;
    // While another statement's asynchronous call is pending nothing may be
    // sent; the id is fetched before this statement's first call.
    if (LnaAsyncState(conn) == kLnaAsyncIdle) {
      TracePrintf(trace, "_rpcLnaAllocStmtSP(0x%08lx, 0x%08lx, 0x%08lx)\n", TraceAddr(conn->rpc),
                  static_cast<unsigned long>(conn->server_conn), TraceAddr(&server_stmt));
      result = _rpcLnaAllocStmtSP(&conn->rpc, conn->server_conn, &server_stmt);
      TraceReturn(trace, "_rpcLnaAllocStmtSP", result);
    }
    if (result == kLnaOk || result == kLnaInfo) {
      stmt->conn = conn;
      stmt->server_stmt = server_stmt;
      stmt->fetch_state = kLnaNewResult;
      *out = stmt;
    } else {
      if (result == kLnaFailed) PostTransportError(conn, nullptr, kRpcAllocStmt);
      RemoveStmt(conn, stmt);
    }
  }
  TraceReturn(trace, "LnaAllocStmtSP", result);
  return result;
}

LnaStatement* LnaAddStmtRecord(LnaConnection* conn) {
  LockConn(conn);
  auto* stmt = static_cast<LnaStatement*>(NewRecord(conn->statements, sizeof(LnaStatement)));
  UnlockConn(conn);
  return stmt;
}

int16_t LnaDropStmt(LnaStatement* stmt) {
  ReleaseStmtBuffers(stmt);
  if (stmt->conn != nullptr) RemoveStmt(stmt->conn, stmt);
  return kLnaOk;
}

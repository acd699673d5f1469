// The call layer's records of one login and one statement, and the lists
// that hold them. The driver sees them only by address (lna_call.h).
//
// Records are zero-filled bytes inside record arrays, so every field is
// plain. The fields that application threads may touch at once on one
// connection (the broken flag, the saved diagnostics, the asynchronous
// state) are read and written only under the field lock of
// lna_shared_state.h.
#pragma once

#include <cstdint>

#include "common/rec_array.h"
#include "common/syn_obj.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/lna/lna_spill.h"
#include "driver/lna/rpc_connection.h"
#include "wire/array_buffer.h"
#include "wire/diag_record.h"
#include "wire/fetch_request.h"
#include "wire/row_block.h"
#include "wire/row_reply.h"

// Asynchronous state of a connection.
enum : uint32_t {
  kLnaAsyncIdle = 0,
  kLnaAsyncStarted = 1,
  kLnaAsyncCancelRequested = 2,
};

// Fetch state of a statement.
enum : uint32_t {
  kLnaFetching = 0,
  kLnaNewResult = 1,
  kLnaNewResultWithBlock = 2,
};

constexpr uint32_t kLnaServerNameSize = 256;

struct LnaConnection {
  char server_name[kLnaServerNameSize];
  RpcConnection* rpc;
  int32_t server_conn;
  uint32_t diag_waiting;
  LnaDiagRecord diag;
  uint32_t broken;
  uint32_t async_state;
  LnaStatement* async_owner;
  uint32_t async_cancel;  // cancelling also sends procedure 3
  uint16_t cancel_key;
  uint32_t async_disabled;
  uint32_t array_fetch;
  uint32_t array_buffer_size;
  TraceHandle* trace;
  uint32_t getdata_extensions;  // bit 0 any column, bit 1 any order
  RecArray* statements;
  SynObj* lock;  // guards `statements`
  uint32_t lock_valid;
  // What the server said about a login it refused without a connection id,
  // read before the connection was closed; handed out like the server's.
  uint16_t login_diag_count;
  LnaDiagRecord login_diags[kLnaMaxDiagnostics];
  // The application's login timeout in milliseconds; 0 takes the data
  // source's LoginTimeout.
  uint32_t login_wait_ms;
  // What the login waited for at most (0: no bound): the bound, once logged
  // in, of every call that runs no statement, the cancel route's included.
  uint32_t call_wait_ms;
  // Set when the server reported that the data source's connection behind
  // this login is gone, with the first record that said so; a commit or
  // rollback then fails with it (until the next login).
  uint32_t source_lost;
  LnaDiagRecord source_lost_reason;
  // The statement whose call is on the wire, for a cancel from another
  // thread (read and written through LnaStmtCall only).
  LnaStatement* calling_stmt;
};

struct LnaStatement {
  LnaConnection* conn;
  int32_t server_stmt;
  int16_t column_count;
  LnaFetchRequest* columns;  // column_count entries
  LnaSpill* spills;          // column_count entries, made with `columns`
  uint32_t diag_waiting;
  LnaDiagRecord diag;
  uint32_t long_columns;
  uint32_t fetch_state;
  // The block road of the fetch: the last row block and its decoders.
  uint32_t current_column;
  LnaRowBlock block;
  // The block the decoders read last, once `block` is another: they count
  // its bytes only when the next block needs them, so it stays until that
  // one is decoded.
  LnaRowBlock decoded_block;
  RowBlockDecoder* decoders;  // column_count decoders
  uint16_t values_in_block;
  uint16_t values_delivered;
  int32_t block_status;
  uint16_t async_procedure;
  uint32_t query_timeout_s;  // bounds each reply of the statement; 0 none
};

// The connection's trace, or null while tracing is off or without a record.
inline TraceHandle* LnaTraceOf(const LnaConnection* conn) {
  return conn != nullptr ? conn->trace : nullptr;
}

// Destroys the statement list and the lock and takes the record off the
// connection list. Leaves the RPC connection and the trace alone.
void LnaFreeConnectParts(LnaConnection* conn);
// Destroys the connection list and the pool once the list is empty.
void LnaRemoveConnect();
// Releases the fetch buffers and the column state, then removes the record
// from its connection's statement list. 0.
int16_t LnaDropStmt(LnaStatement* stmt);
// A zeroed statement record on the connection's list, at an address that
// stays valid until the record is dropped; null when memory runs out.
LnaStatement* LnaAddStmtRecord(LnaConnection* conn);

// For tests only.

// Connection records alive, for tests of the list and the pool.
uint32_t TEST_LnaConnectionCount();

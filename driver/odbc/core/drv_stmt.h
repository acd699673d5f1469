// The statement handle: the record every statement function reads and
// writes, with its state, its result set, its bindings and the pending
// asynchronous call. Its allocation and release are in stmt_handle.h.
#pragma once

#include <sql.h>

#include <cstdint>

#include "driver/odbc/core/stmt_options.h"

struct DrvConn;
struct LnaStatement;
struct ParamValueEntry;
struct RecArray;

constexpr uint32_t kCursorNameSize = 19;  // 18 characters and the NUL

// Statement states.
enum : uint16_t {
  kStmtAllocated = 1,
  kStmtPrepared = 2,
  kStmtExecuted = 3,  // no result set, or one read to its end
  kStmtResultOpen = 4,
  kStmtOnRow = 5,
};

// Result classes: 100 and above mean a result set is described.
enum : uint16_t {
  kResultNone = 1,
  kResultRows = 100,
};

// The parameter buffer sent with execute: the values going to the server
// and the entries receiving values back.
struct ParamBuffer {
  uint32_t built;
  uint16_t in_count;
  ParamValueEntry* in_list;
  uint16_t out_count;
  ParamValueEntry* out_list;
  RecArray* value_copies;  // char* blocks the entries point into
};

struct BookmarkBinding {
  uint32_t c_type;
  void* buffer;  // pointer-sized: it holds the application's address
  uint32_t buffer_length;
  void* length;
};

struct DrvStmt {
  DrvConn* conn;
  uint16_t state;
  uint16_t result_class;
  uint16_t result_kind;    // 0 none, 1 rows from the server, 2 to 15 catalog results
  RecArray* columns;       // ColumnDesc, null while no result set is described
  RecArray* diagnostics;   // DiagRecord
  uint32_t diag_overflow;  // 1 when a diagnostic could not be stored
  RecArray* column_bindings;
  RecArray* param_bindings;
  RecArray* param_descs;  // as the server described the parameters
  uint32_t marker_count;
  int32_t data_at_exec_param;  // -1 when none
  uint16_t data_at_exec_phase;
  uint32_t prepared;
  char cursor_name[kCursorNameSize];
  uint32_t cursor_name_set;  // 1 when the application named the cursor
  uint32_t row_count;
  uint16_t fetch_status;  // 2: no further rows
  int16_t type_list_selector;
  StmtOptions options;
  uint32_t param_row_count;
  uint32_t* row_counter;      // the caller's, null when none
  uint32_t pending;           // 1 while an asynchronous call is outstanding
  uint32_t pending_function;  // its SQL_API number
  uint32_t direct_resume;     // 1 once SQLExecDirect has prepared and goes on to execute
  BookmarkBinding bookmark;
  // Everything above is what a snapshot keeps.
  LnaStatement* lna;
  // The text the server prepared last, as it was sent (null when none),
  // and 1 once a direct execution of it has replaced the server's
  // prepared statement (DrvExecute).
  char* prepared_text;
  uint32_t prepared_text_replaced;
  int32_t result_pool;  // 0 when none
  void* fetch_buffers;
  uint32_t long_column;
  uint32_t param_data_pending;
  uint32_t async_step;
  ParamBuffer param_buffer;
  uint32_t option_mask;  // bit n: the server supports statement option n
  uint16_t data_column;  // the column SQLGetData last read, 0 after a fetch
  // 1 while the fetch's transfer of the bound columns holds the conversion
  // lock for the whole row.
  uint32_t converting_row;
};

// The part of a statement a failed call puts back: a copy of everything
// before its call-layer statement, taken as one block.
struct StmtSnapshot {
  DrvStmt saved;
};

// Releases the result set's buffers, pool and columns and the parameter
// descriptions.
void DrvResetStmt(DrvStmt* statement);
void FreeResultBuffers(DrvStmt* statement);

// The statement handle, as far as the driver's common parts reach into it:
// its connection, its diagnostics, its options and the pending asynchronous
// call. The statement functions own the rest of the record.
#pragma once

#include <cstdint>

#include "driver/odbc/stmt_options.h"

struct DrvConn;
struct LnaStatement;
struct RecArray;

constexpr uint32_t kCursorNameSize = 19;  // 18 characters and the NUL

struct DrvStmt {
  DrvConn* conn;
  uint16_t state;
  RecArray* diagnostics;  // DiagRecord
  uint32_t diag_overflow;
  char cursor_name[kCursorNameSize];
  uint32_t cursor_name_set;  // 1 when the application named the cursor
  StmtOptions options;
  uint32_t pending;           // 1 while an asynchronous call is outstanding
  uint32_t pending_function;  // its SQL_API number
  LnaStatement* lna;
};

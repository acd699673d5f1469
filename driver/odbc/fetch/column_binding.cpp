#include "driver/odbc/fetch/column_binding.h"

#include <sqlext.h>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/get_info.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/result_set.h"

namespace {

constexpr uint32_t kBindingGrowth = 5;
constexpr uint16_t kInfoBookmarkPersistence = 82;
constexpr uint16_t kInfoMaxColumnsInSelect = 101;
constexpr uintptr_t kBookmarkBit = 64;

SQLRETURN Refuse(DrvStmt* statement, uint32_t message) {
  PostStmtError(statement, message, 0, nullptr);
  return SQL_ERROR;
}

}  // namespace

const ColumnBinding* BoundColumn(const DrvStmt* statement, uint32_t column) {
  if (statement->column_bindings == nullptr || column == 0) return nullptr;
  auto* binding = static_cast<const ColumnBinding*>(ArrAt(statement->column_bindings, column - 1));
  return binding != nullptr && binding->buffer != nullptr ? binding : nullptr;
}

uint32_t HighestBoundColumn(const DrvStmt* statement) {
  if (statement->column_bindings == nullptr) return 0;
  for (uint32_t n = ArrCount(statement->column_bindings); n > 0; --n) {
    if (BoundColumn(statement, n) != nullptr) return n;
  }
  return 0;
}

namespace {

// SQLBindCol inside its statement shell.
SQLRETURN BindColumn(DrvStmt* statement, SQLUSMALLINT icol, SQLSMALLINT fCType, SQLPOINTER rgbValue,
                     SQLLEN cbValueMax, SQLLEN* pcbValue) {
  if (StmtIsAsync(statement) && statement->pending != 0)
    return Refuse(statement, kMsgErrOutOfSequence);

  InfoValue info{};
  if (icol == 0) {
    SQLRETURN code = DrvGetInfo(statement->conn, kInfoBookmarkPersistence, 0, &info);
    if (code == SQL_ERROR) return code;
    if ((info.number & kBookmarkBit) == 0) return Refuse(statement, kMsgErrDriverIncapable);
    if (fCType != SQL_C_ULONG) return Refuse(statement, kMsgErrInvalProgType);
  }
  SQLRETURN result = DrvGetInfo(statement->conn, kInfoMaxColumnsInSelect, 0, &info);
  if (result == SQL_ERROR) return result;
  if (info.number != 0 && icol > info.number) return Refuse(statement, kMsgErrInvalColumn);

  if (statement->column_bindings == nullptr) {
    statement->column_bindings = ArrCreate(kBindingGrowth, sizeof(ColumnBinding), 0, 0);
    if (statement->column_bindings == nullptr) return Refuse(statement, kMsgErrOutOfMemory);
  }
  ColumnBinding binding{};
  if (rgbValue != nullptr) binding = {fCType, rgbValue, cbValueMax, pcbValue};
  if (icol == 0) {
    statement->bookmark =
        BookmarkBinding{static_cast<uint32_t>(binding.c_type), binding.buffer,
                        static_cast<uint32_t>(binding.buffer_length), binding.length};
  } else if (ArrSetAt(statement->column_bindings, &binding, icol - 1u) != kArrOk) {
    return Refuse(statement, kMsgErrOutOfMemory);
  }
  if (rgbValue == nullptr) {
    ColumnDesc* column = ResultColumn(statement, icol);
    if (column != nullptr) column->binding[0] = column->binding[1] = nullptr;
  }
  return result;
}

}  // namespace

SQLRETURN SQLBindColImpl(SQLHSTMT hstmt, SQLUSMALLINT icol, SQLSMALLINT fCType, SQLPOINTER rgbValue,
                         SQLLEN cbValueMax, SQLLEN* pcbValue) {
  return StatementEntry(
      hstmt, "SQLBindCol",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLBindCol(0x%08lx, %u, %d, 0x%08lx, %ld, 0x%08lx)", TraceAddr(hstmt),
                   static_cast<unsigned>(icol), static_cast<int>(fCType), TraceAddr(rgbValue),
                   static_cast<long>(cbValueMax), TraceAddr(pcbValue));
      },
      [&](DrvStmt* statement) {
        return BindColumn(statement, icol, fCType, rgbValue, cbValueMax, pcbValue);
      });
}

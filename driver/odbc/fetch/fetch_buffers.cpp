#include "driver/odbc/fetch/fetch_buffers.h"

#include <sqlext.h>

#include <algorithm>
#include <cstddef>
#include <limits>

#include "common/memory.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/column_data.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/result_set.h"

namespace {

// Long columns travel in a fixed buffer; longer values are read in further
// requests. A value of another column longer than its buffer comes whole
// all the same, kept beside the buffer by the call layer.
constexpr uint32_t kLongBuffer = 31744;
constexpr size_t kAlign = alignof(std::max_align_t);

// The block the statement's fetch_buffers points to: this header, the
// slots, then every column's buffer.
struct FetchBufferBlock {
  uint32_t count;
};

size_t AlignUp(size_t n) {
  return (n + kAlign - 1) / kAlign * kAlign;
}

size_t SlotsOffset() {
  return AlignUp(sizeof(FetchBufferBlock));
}

LnaFetchSlot* Slots(FetchBufferBlock* block) {
  return reinterpret_cast<LnaFetchSlot*>(reinterpret_cast<char*>(block) + SlotsOffset());
}

int32_t BoundLength(const DrvStmt* statement, uint32_t column) {
  const ColumnBinding* binding = BoundColumn(statement, column);
  if (binding == nullptr) return 0;
  return static_cast<int32_t>(
      std::clamp<SQLLEN>(binding->buffer_length, 0, std::numeric_limits<int32_t>::max()));
}

SQLRETURN BuildFetchBuffers(DrvStmt* statement) {
  uint32_t count = ResultColumnCount(statement);
  if (count == 0) {
    PostStmtError(statement, kMsgErrInvalCursorState, 0, nullptr);
    return SQL_ERROR;
  }
  // Sizes come from the server's descriptions: each is capped, and the sum
  // is taken in size_t, so no length wraps into a smaller buffer.
  size_t data_at = AlignUp(SlotsOffset() + sizeof(LnaFetchSlot) * count);
  size_t total = data_at;
  statement->long_column = 0;
  for (uint32_t i = 1; i <= count; ++i) {
    const ColumnDesc* column = ResultColumn(statement, i);
    FetchColumnForm form = SetupFetchColumn(ColumnSqlType(statement, column), column->length,
                                            column->precision, column->scale);
    total += AlignUp(form.size);
  }
  auto* block = static_cast<FetchBufferBlock*>(MemAlloc(total));
  if (block == nullptr) {
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  block->count = count;
  auto* base = reinterpret_cast<char*>(block);
  size_t at = data_at;
  for (uint32_t i = 1; i <= count; ++i) {
    const ColumnDesc* column = ResultColumn(statement, i);
    FetchColumnForm form = SetupFetchColumn(ColumnSqlType(statement, column), column->length,
                                            column->precision, column->scale);
    if (form.long_column) statement->long_column = 1;
    Slots(block)[i - 1] = LnaFetchSlot{form.c_type, base + at, static_cast<int32_t>(form.size), 0};
    at += AlignUp(form.size);
  }
  statement->fetch_buffers = block;
  return SQL_SUCCESS;
}

}  // namespace

FetchColumnForm SetupFetchColumn(int16_t sql_type, uint32_t length, uint32_t precision,
                                 int16_t scale) {
  switch (sql_type) {
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      return {SQL_C_CHAR, kLongBuffer + 1, true};
    case SQL_LONGVARBINARY:
      return {SQL_C_BINARY, kLongBuffer, true};
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_BIGINT:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      return {SQL_C_CHAR, LnaFetchBufferSize(length, 1), false};
    case SQL_BINARY:
    case SQL_VARBINARY:
      return {SQL_C_BINARY, LnaFetchBufferSize(length, 0), false};
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
      return {SQL_C_SHORT, 2, false};
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      if (scale == 0 || scale == kNoScale) {
        if (precision < 5) return {SQL_C_SHORT, 2, false};
        if (precision <= 9) return {SQL_C_LONG, 4, false};
      }
      return {SQL_C_CHAR, LnaFetchBufferSize(precision, 3), false};
    case SQL_INTEGER:
      return {SQL_C_LONG, 4, false};
    case SQL_REAL:
      return {SQL_C_FLOAT, 4, false};
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return {SQL_C_DOUBLE, 8, false};
    case SQL_DATE:
      return {SQL_C_DATE, sizeof(DATE_STRUCT), false};
    case SQL_TIME:
      return {SQL_C_TIME, sizeof(TIME_STRUCT), false};
    case SQL_TIMESTAMP:
      return {SQL_C_TIMESTAMP, sizeof(TIMESTAMP_STRUCT), false};
    default:
      return {0, LnaFetchBufferSize(length, 0), false};
  }
}

LnaFetchSlot* FetchSlot(const DrvStmt* statement, uint32_t column) {
  auto* block = static_cast<FetchBufferBlock*>(statement->fetch_buffers);
  if (block == nullptr || column == 0 || column > block->count) return nullptr;
  return &Slots(block)[column - 1];
}

SQLRETURN DrvFetch(DrvStmt* statement) {
  auto* block = static_cast<FetchBufferBlock*>(statement->fetch_buffers);
  if (block != nullptr && block->count != ResultColumnCount(statement)) {
    FreeResultBuffers(statement);
    block = nullptr;
  }
  if (block == nullptr) {
    SQLRETURN built = BuildFetchBuffers(statement);
    if (built == SQL_ERROR) return built;
    block = static_cast<FetchBufferBlock*>(statement->fetch_buffers);
  }
  for (uint32_t i = 0; i < block->count; ++i)
    Slots(block)[i].result_length = BoundLength(statement, i + 1);
  int16_t status = LnaFetchMP(statement->lna, Slots(block), StmtIsAsync(statement) ? 1 : 0);
  SQLRETURN code = DrvStmtStatus(statement, status);
  if (code == SQL_ERROR || code == SQL_INVALID_HANDLE || code == SQL_STILL_EXECUTING) return code;
  if (code == SQL_NO_DATA_FOUND) statement->fetch_status = 2;
  for (uint32_t i = 1; i <= block->count; ++i) {
    ColumnDesc* column = ResultColumn(statement, i);
    if (column != nullptr) column->retrieval[kRetrievalOffset] = 0;
  }
  return code;
}

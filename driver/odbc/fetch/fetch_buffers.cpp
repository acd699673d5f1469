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
#include "wire/fetch_shape.h"

namespace {

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

#include "driver/lna/lna_stmt_buffers.h"

#include "common/memory.h"
#include "driver/lna/lna_errors.h"

void LnaFreeBlockBytes(LnaStatement* stmt) {
  XdrFreeRowBlock(&stmt->block);
  stmt->block = LnaRowBlock{};
}

void LnaSetBlockAside(LnaStatement* stmt) {
  // A block aside already is the one the decoders read: this one they never
  // did.
  if (stmt->decoded_block.bytes != nullptr) {
    LnaFreeBlockBytes(stmt);
    return;
  }
  stmt->decoded_block = stmt->block;
  stmt->block = LnaRowBlock{};
}

void LnaFreeBlockAside(LnaStatement* stmt) {
  XdrFreeRowBlock(&stmt->decoded_block);
  stmt->decoded_block = LnaRowBlock{};
}

void LnaFreeDecoders(LnaStatement* stmt) {
  LnaFreeBlockBytes(stmt);
  LnaFreeBlockAside(stmt);
  if (stmt->decoders != nullptr) {
    // The array was made for the column count of its result.
    size_t n = MemSize(stmt->decoders) / sizeof(RowBlockDecoder);
    for (size_t i = 0; i < n; ++i) FreeRowBlock(&stmt->decoders[i]);
    MemFree(stmt->decoders);
    stmt->decoders = nullptr;
  }
}

namespace {

void FreeSpilledValues(LnaStatement* stmt) {
  if (stmt->spills == nullptr) return;
  for (int16_t i = 0; i < stmt->column_count; ++i) LnaSpillFree(&stmt->spills[i]);
}

}  // namespace

void LnaResetStmt(LnaStatement* stmt) {
  LnaFreeDecoders(stmt);
  FreeSpilledValues(stmt);
  stmt->fetch_state = kLnaNewResult;
}

void LnaFreeColumnState(LnaStatement* stmt) {
  FreeSpilledValues(stmt);
  MemFree(stmt->spills);
  stmt->spills = nullptr;
  MemFree(stmt->columns);
  stmt->columns = nullptr;
  stmt->column_count = 0;
}

int16_t LnaSetResultColumns(LnaStatement* stmt, uint16_t count, const LnaColumnDesc* columns) {
  constexpr int16_t kLongVarChar = -1;
  constexpr int16_t kLongVarBinary = -4;
  LnaFreeColumnState(stmt);
  if (count > 0) {
    stmt->columns = static_cast<LnaFetchRequest*>(MemAlloc(sizeof(LnaFetchRequest) * count));
    stmt->spills = static_cast<LnaSpill*>(MemAlloc(sizeof(LnaSpill) * count));
    if (stmt->columns == nullptr || stmt->spills == nullptr) {
      LnaFreeColumnState(stmt);
      PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocResultColumns);
      return kLnaFailed;
    }
  }
  stmt->fetch_state = kLnaNewResult;
  stmt->column_count = static_cast<int16_t>(count);
  stmt->long_columns = 0;
  if (columns == nullptr) return kLnaOk;
  for (uint16_t i = 0; i < count; ++i) {
    if (columns[i].sql_type == kLongVarChar || columns[i].sql_type == kLongVarBinary) {
      stmt->columns[i].long_column = 1;
      stmt->long_columns = 1;
    }
  }
  return kLnaOk;
}

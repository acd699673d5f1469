#include "driver/odbc/core/drv_stmt.h"

#include "common/memory.h"
#include "common/pool.h"
#include "common/rec_array.h"

void FreeResultBuffers(DrvStmt* statement) {
  if (statement->columns == nullptr) return;
  MemFree(statement->fetch_buffers);
  statement->fetch_buffers = nullptr;
}

void DrvResetStmt(DrvStmt* statement) {
  FreeResultBuffers(statement);
  if (statement->result_pool != 0) {
    PoolDestroy(statement->result_pool);
    statement->result_pool = 0;
  }
  ArrDestroy(statement->columns);
  statement->columns = nullptr;
  ArrDestroy(statement->param_descs);
  statement->param_descs = nullptr;
  statement->marker_count = 0;
}

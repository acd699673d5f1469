#include "driver/odbc/local_column.h"

#include "common/rec_array.h"
#include "driver/odbc/diag.h"
#include "driver/odbc/drv_stmt.h"
#include "driver/odbc/message_ids.h"

SQLRETURN StoreLocalColumns(DrvStmt* statement, const LocalColumn* columns, uint32_t count) {
  RecArray* array = ArrCreate(count, sizeof(LocalColumn), 0, 0);
  if (array == nullptr || ArrSetAt(array, &columns[count - 1], count - 1) != kArrOk) {
    ArrDestroy(array);
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  // The records below the last exist now; overwriting them takes no memory.
  for (uint32_t i = 0; i + 1 < count; ++i) ArrSetAt(array, &columns[i], i);
  statement->columns = array;
  return SQL_SUCCESS;
}

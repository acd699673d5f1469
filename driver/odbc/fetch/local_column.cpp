#include "driver/odbc/fetch/local_column.h"

#include <sqlext.h>

#include "common/rec_array.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/fetch/column_desc.h"

namespace {

ColumnDesc Described(const LocalColumn& local) {
  ColumnDesc column{};
  column.type_index = -1;  // no server type: the values are the driver's own
  column.length = local.length;
  column.scale = kNoScale;
  column.sql_type = static_cast<uint16_t>(LocalColumnSqlTypeOf(local.c_type));
  return column;
}

}  // namespace

int16_t LocalColumnSqlTypeOf(int16_t c_type) {
  switch (c_type) {
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return SQL_SMALLINT;
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return SQL_INTEGER;
    default:
      return SQL_VARCHAR;
  }
}

SQLRETURN StoreLocalColumns(DrvStmt* statement, const LocalColumn* columns, uint32_t count) {
  RecArray* array = ArrCreate(count, sizeof(ColumnDesc), 0, 0);
  ColumnDesc last = Described(columns[count - 1]);
  if (array == nullptr || ArrSetAt(array, &last, count - 1) != kArrOk) {
    ArrDestroy(array);
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  // The records below the last exist now; overwriting them takes no memory.
  for (uint32_t i = 0; i + 1 < count; ++i) {
    ColumnDesc column = Described(columns[i]);
    ArrSetAt(array, &column, i);
  }
  statement->columns = array;
  return SQL_SUCCESS;
}

#include "driver/odbc/statement/stmt_ready.h"

#include <sqlext.h>

#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/statement/stmt_handle.h"

bool StmtCheckCatalogState(DrvStmt* statement) {
  if (statement->state < kStmtExecuted) return true;
  if (statement->result_class >= kResultRows) {
    PostStmtError(statement, kMsgErrInvalCursorState, 0, nullptr);
    return false;
  }
  SQLFreeStmtImpl(statement, SQL_CLOSE);
  return true;
}

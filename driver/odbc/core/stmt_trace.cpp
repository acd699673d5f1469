#include "driver/odbc/core/stmt_trace.h"

#include "driver/odbc/core/drv_conn.h"

TraceHandle* StmtTrace(const DrvStmt* statement) {
  return statement->conn != nullptr ? statement->conn->trace : nullptr;
}

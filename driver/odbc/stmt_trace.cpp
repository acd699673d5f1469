#include "driver/odbc/stmt_trace.h"

#include <cstdint>

#include "driver/odbc/drv_conn.h"

unsigned long TraceAddr(const void* p) {
  return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}

TraceHandle* StmtTrace(const DrvStmt* statement) {
  return statement->conn != nullptr ? statement->conn->trace : nullptr;
}

SQLRETURN StmtFinish(const DrvStmt* statement, const char* name, SQLRETURN result) {
  TraceReturn(StmtTrace(statement), name, result);
  return result;
}

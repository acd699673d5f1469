// The trace lines a statement call writes: handles and buffers by address,
// and the closing line with the call's result.
#pragma once

#include <sql.h>

#include "common/trace.h"
#include "driver/odbc/core/drv_stmt.h"

// The trace of the statement's connection; null when it has none.
TraceHandle* StmtTrace(const DrvStmt* statement);
// Writes the closing line of call `name` and hands `result` back.
SQLRETURN StmtFinish(const DrvStmt* statement, const char* name, SQLRETURN result);

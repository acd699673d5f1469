// The trace a statement's calls write their lines to.
#pragma once

#include "common/trace.h"
#include "driver/odbc/core/drv_stmt.h"

// The trace of the statement's connection; null when it has none.
TraceHandle* StmtTrace(const DrvStmt* statement);

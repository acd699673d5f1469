// Turning a call-layer status into an ODBC return code, with the
// diagnostics waiting behind it posted on the handle.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;
struct DrvStmt;

// For the connection's own calls. Errors and "success with information"
// post what the call layer holds; a status the mapping does not know is an
// error (5135 posted when nothing else explains it).
SQLRETURN DrvMapRpcStatus(DrvConn* connection, int16_t status);
// The same for a statement's calls; the diagnostics go on the statement.
SQLRETURN DrvStmtStatus(DrvStmt* statement, int16_t status);

// The options the driver sends to the server or asks it for: each call
// sends one request for a connection or a statement and maps the status
// (diagnostics posted on that handle).
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;
struct DrvStmt;

// Sends a connection option the driver does not refuse; before the login
// the option is kept in the pending list instead. `value` is a number of at
// most 32 bits, or the address of a text for text options, as the caller
// has checked (a window handle wider than 32 bits is kept locally only).
SQLRETURN DrvSetConnectOption(DrvConn* connection, uint16_t option, SQLULEN value);
// Asks the server for a driver-specific option (1000 and up) and writes it
// at `out`: a text of at most 256 bytes with its NUL, or 32 bits. Standard
// options other than SQL_CURRENT_QUALIFIER are not asked and write nothing.
SQLRETURN DrvGetConnectOption(DrvConn* connection, uint16_t option, void* out);
// Sends a statement option as a 32-bit number (SQL_ASYNC_ENABLE is refused).
SQLRETURN DrvSetStmtOption(DrvStmt* statement, uint16_t option, uint32_t value);
// A statement option outside 0 to 14: from 1000 up asked of the server (a
// 32-bit number or a text of at most 256 bytes at `out`); below that
// SQL_SUCCESS, writing nothing, when the server supports it, else S1C00.
SQLRETURN DrvGetStmtOption(DrvStmt* statement, uint16_t option, void* out);

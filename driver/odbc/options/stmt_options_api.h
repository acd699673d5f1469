// SQLSetStmtOption and SQLGetStmtOption: options kept in the statement's
// block and sent to the server.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

SQLRETURN SQLSetStmtOptionImpl(SQLHSTMT hstmt, SQLUSMALLINT option, SQLULEN value);
SQLRETURN SQLGetStmtOptionImpl(SQLHSTMT hstmt, SQLUSMALLINT option, SQLPOINTER out);

// The work of SQLSetStmtOption without its trace and without clearing the
// statement's diagnostics; a connection option call applies statement
// options to each statement through it.
SQLRETURN ApplyStmtOption(DrvStmt* statement, uint16_t option, SQLULEN value);

// Cursor names: SQLSetCursorName and SQLGetCursorName.
#pragma once

#include <sql.h>

struct DrvStmt;

// Names the statement's cursor at the server; the name is kept on success.
SQLRETURN DrvSetCursorName(DrvStmt* statement, const char* name);

SQLRETURN SQLSetCursorNameImpl(SQLHSTMT hstmt, SQLCHAR* szCursor, SQLSMALLINT cbCursor);
SQLRETURN SQLGetCursorNameImpl(SQLHSTMT hstmt, SQLCHAR* szCursor, SQLSMALLINT cbCursorMax,
                               SQLSMALLINT* pcbCursor);

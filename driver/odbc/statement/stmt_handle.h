// SQLAllocStmt and SQLFreeStmt, and the statement record's allocation and
// release.
#pragma once

#include <sql.h>

struct DrvConn;
struct DrvStmt;

SQLRETURN SQLAllocStmtImpl(SQLHDBC hdbc, SQLHSTMT* phstmt);
SQLRETURN SQLFreeStmtImpl(SQLHSTMT hstmt, SQLUSMALLINT option);
// The record and its call-layer statement: SQL_SUCCESS or
// SQL_SUCCESS_WITH_INFO with *statement, else SQL_ERROR (posted on the
// connection) and null.
SQLRETURN DrvAllocStmt(DrvConn* connection, DrvStmt** statement);
// Drops the statement at the server and frees everything it holds.
SQLRETURN DrvDropStmt(DrvStmt* statement);
SQLRETURN DrvCloseStmt(DrvStmt* statement);
// When the connection's statement list is empty, a fresh one replaces it.
void RenewStmtList(DrvConn* connection);

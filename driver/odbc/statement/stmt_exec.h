// Carrying a statement text to the server and running it: SQLPrepare,
// SQLExecute, SQLExecDirect and SQLCancel with the steps below them.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;
struct LnaColumnDesc;
struct LnaParamDesc;

// Asynchronous steps: which call-layer operation is outstanding.
enum : uint32_t {
  kAsyncNone = 0,
  kAsyncPrepare = 1,
  kAsyncExecute = 2,
  kAsyncExecDirect = 3,
};

SQLRETURN DrvPrepare(DrvStmt* statement, const char* text);
SQLRETURN DrvExecute(DrvStmt* statement);
// The connection's direct-execution routine.
SQLRETURN DrvExecDirect(DrvStmt* statement, const char* text);
SQLRETURN DrvCancel(DrvStmt* statement);
// What a prepare or a direct execution said about the result columns and
// the parameters becomes the statement's result set and parameter list.
SQLRETURN BuildReplyDescriptors(DrvStmt* statement, uint16_t column_count,
                                const LnaColumnDesc* columns, uint16_t param_count,
                                const LnaParamDesc* params);
// After a successful execution: the caller's row counter, the connection's
// transaction state, the output parameters. SQL_SUCCESS_WITH_INFO when an
// output text was cut to its buffer.
SQLRETURN FinishExecute(DrvStmt* statement);

SQLRETURN SQLPrepareImpl(SQLHSTMT hstmt, SQLCHAR* szSqlStr, SQLINTEGER cbSqlStr);
SQLRETURN SQLExecuteImpl(SQLHSTMT hstmt);
SQLRETURN SQLExecDirectImpl(SQLHSTMT hstmt, SQLCHAR* szSqlStr, SQLINTEGER cbSqlStr);
SQLRETURN SQLCancelImpl(SQLHSTMT hstmt);

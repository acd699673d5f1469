// The parameter step of prepare and execution: checking the application's
// parameters against the statement's markers and laying them into the
// buffer that goes with execute. Only statements without bound parameters
// are carried for now; a statement that needs parameter values is refused
// before anything is sent.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;
struct LnaParamDesc;

// Before execution: every marker must have a value. SQL_SUCCESS when the
// statement has no markers; otherwise SQL_ERROR with 07001 posted once per
// marker.
SQLRETURN PrepareExecParams(DrvStmt* statement);
// Sends what the server needs before execution. SQL_SUCCESS.
SQLRETURN SendExecParams(DrvStmt* statement);
// Builds the parameter buffer of execute: SQL_SUCCESS (an empty buffer)
// without parameter bindings; with bindings SQL_ERROR and S1C00 posted.
SQLRETURN PrepareExecuteParams(DrvStmt* statement);
// Frees the value copies the parameter buffer holds.
void FreeParamValueCopies(DrvStmt* statement);
// Keeps the server's description of the parameters on the statement.
// SQL_SUCCESS, or SQL_ERROR with 5136 posted.
SQLRETURN BuildParamDescs(DrvStmt* statement, const LnaParamDesc* params, uint16_t count);
// Copies values the server sent back into the application's buffers.
void ReturnOutputParams(DrvStmt* statement);

// The parameter step of prepare and execution: checking the application's
// bindings against the statement's markers, laying their values into the
// buffer that goes with execute, and copying output values back.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;
struct LnaParamDesc;
struct ParamBinding;
struct ParamValueEntry;

// Longest piece of long data one request carries.
constexpr uint32_t kLongDataPieceMax = 32250;

// The binding of marker `index` (0-based), null when the application bound
// none there.
ParamBinding* ParamBindingAt(DrvStmt* statement, uint32_t index);

// Before execution: every marker must be bound with a usable length.
// SQL_SUCCESS, SQL_NEED_DATA when a data-at-execution parameter exists, or
// SQL_ERROR with the reasons posted.
SQLRETURN PrepareExecParams(DrvStmt* statement);
// The values of the bindings into the parameter buffer; accumulated
// data-at-execution values take their place first.
SQLRETURN SendExecParams(DrvStmt* statement);
// The parameter buffer execute and direct execution send: SQL_SUCCESS
// (empty without bindings), or SQL_ERROR posted.
SQLRETURN PrepareExecuteParams(DrvStmt* statement);
SQLRETURN BuildParamBuffer(DrvStmt* statement, uint32_t index);
// The length of the value to send (0 for NULL); false with 5147 posted for
// an indicator that says nothing usable.
bool ComputeParamLength(DrvStmt* statement, ParamBinding* binding);
// False with 22001 posted when a text is longer than its column.
bool CheckParamLength(DrvStmt* statement, ParamBinding* binding);

// Frees the value copies the parameter buffer holds.
void FreeParamValueCopies(DrvStmt* statement);
// Frees the copies and both entry lists.
void FreeStmtParamBuffers(DrvStmt* statement);
// Frees the bindings with their accumulated data.
void FreeParamBindings(DrvStmt* statement);

// Keeps the server's description of the parameters on the statement; the
// marker count becomes the server's count. SQL_SUCCESS, or SQL_ERROR with
// 5136 posted.
SQLRETURN BuildParamDescs(DrvStmt* statement, const LnaParamDesc* params, uint16_t count);
// Copies values the server sent back into the application's buffers:
// SQL_SUCCESS, or SQL_SUCCESS_WITH_INFO with 01004 posted when a text did
// not fit.
SQLRETURN ReturnOutputParams(DrvStmt* statement);

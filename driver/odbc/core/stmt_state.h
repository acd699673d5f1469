// The statement state machine's shared steps: the asynchronous check, the
// snapshot a failing call restores, and the way back from a result set.
#pragma once

#include <sql.h>

struct DrvConn;
struct DrvStmt;
struct StmtSnapshot;

// True when the statement runs its calls asynchronously.
bool StmtIsAsync(const DrvStmt* statement);
// 1 when a statement of the connection has an asynchronous call pending.
int ConnHasPendingAsyncCall(const DrvConn* connection);
void StmtSaveState(StmtSnapshot* snapshot, const DrvStmt* statement);
// After an unsuccessful end (anything but SQL_SUCCESS, SQL_SUCCESS_WITH_INFO,
// SQL_STILL_EXECUTING or SQL_NEED_DATA) puts back the state, result class
// and kind, prepared flag, marker count, row count and fetch status.
void StmtRestoreState(const StmtSnapshot* snapshot, DrvStmt* statement, SQLRETURN code);
// Back from a result set to the prepared or the allocated state.
void StmtResetFetchState(DrvStmt* statement);

// SQLParamData and SQLPutData, and the steps below them.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

// SQLParamData and SQLPutData: values the application sends after the
// execution asked for them.
SQLRETURN SQLParamDataImpl(SQLHSTMT hstmt, SQLPOINTER* prgbValue);
SQLRETURN SQLPutDataImpl(SQLHSTMT hstmt, SQLPOINTER rgbValue, SQLLEN cbValue);

// The next data-at-execution parameter after the current one (from the
// first when none is current), or -1.
int32_t NextDataAtExecParam(DrvStmt* statement);
// Lets the server take the values of parameter `index`; the execution is
// sent first when it has not been. SQL_SUCCESS when the server waits for
// the pieces.
SQLRETURN DrvParamData(DrvStmt* statement, uint32_t index);
// Sends a piece of parameter `index` in as many requests as it takes.
SQLRETURN DrvPutData(DrvStmt* statement, uint32_t index, SQLPOINTER data, SQLLEN length);

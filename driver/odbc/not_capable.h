// The answer of an exported function whose work the driver does not do:
// the handle's diagnostics are cleared, "S1C00Driver not capable." is posted
// on it and the result is SQL_ERROR (SQL_INVALID_HANDLE for a null handle).
#pragma once

#include <sql.h>

SQLRETURN NotCapableOnConn(SQLHDBC hdbc);

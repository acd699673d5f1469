// The prompting completion modes of SQLDriverConnect.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;

// Modes 1 (complete) and 3 (complete, required) first try to log in with
// what is known and show the logon dialog only when that fails; mode 2
// (prompt) always shows it. The dialog is shown only when the application
// passed a window (`window` is never dereferenced). 0, 1 (logged in with
// warnings), 100 (the user cancelled) or -1 (diagnostics posted).
int32_t DrvPromptConnect(DrvConn* connection, SQLHWND window, SQLUSMALLINT completion);

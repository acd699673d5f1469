// The login sequence behind every connect function, the logout, and what a
// failed attempt undoes.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;

// Completes the keywords from the data source, logs in with them and the
// client's identity, and keeps what the server answered. 0, 1 (success
// with warnings) or -1 (diagnostics posted; nothing of the login is kept).
int32_t DrvConnect(DrvConn* connection);
// Keywords of the server's completed connection string that the table
// lacks are added to it (owned names). 0, or -1 posted.
int32_t DrvPostLogin(DrvConn* connection, const char* reply);
// Logs out at the server and drops the login's data.
SQLRETURN DrvDisconnect(DrvConn* connection);
// After a failed connect: logs out when logged in, and clears the keywords.
void AbortConnectAttempt(DrvConn* connection);
// Drops the keywords the login reply added, so that the next login on the
// handle starts from the default table.
void DropAddedKeywords(DrvConn* connection);

// The trace of a connection, opened by the connect functions from the
// data source's "OdbcTrace" setting.
#pragma once

struct DrvConn;

// Opens the trace of the DSN keyword's data source (nothing without a DSN);
// a trace left open by an earlier attempt on the handle is closed first.
void OpenConnectTrace(DrvConn* connection);
// Closes the connection's trace, if one is open.
void CloseConnectTrace(DrvConn* connection);

#include "driver/odbc/connect/connect_trace.h"

#include "common/profile_path.h"
#include "common/trace.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"

void OpenConnectTrace(DrvConn* connection) {
  const char* dsn = connection->keywords[connection->keyword_dsn].value;
  if (dsn[0] == '\0') return;
  CloseConnectTrace(connection);
  connection->trace = TraceOpen(ProfilePathGet(), dsn, "OdbcTrace", &connection->trace_level);
}

void CloseConnectTrace(DrvConn* connection) {
  TraceClose(connection->trace);
  connection->trace = nullptr;
}

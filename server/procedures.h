// The handlers of the remote procedures, one per procedure id. Each reads
// its request from the call, acts, writes every result field of its reply
// and returns the reply's status.
#pragma once

#include <cstdint>

#include "server/call.h"

namespace velsrv {

using ProcedureHandler = int16_t (*)(Call& call);

// Null for an id the server does not know.
ProcedureHandler FindProcedure(uint32_t procedure);

// Connection level (connection_procs.cpp).
int16_t AllocStmtProc(Call& call);
int16_t DisconnectProc(Call& call);
int16_t GetErrorsProc(Call& call);
int16_t GetConnectOptionProc(Call& call);
int16_t GetInfoProc(Call& call);
int16_t SetConnectOptionProc(Call& call);
int16_t TransactProc(Call& call);
// Statement level (statement_procs.cpp).
int16_t CancelProc(Call& call);
int16_t FreeStmtProc(Call& call);
int16_t GetStmtOptionProc(Call& call);
int16_t SetCursorNameProc(Call& call);
int16_t SetStmtOptionProc(Call& call);
// The ten catalog functions, one handler (catalog_procs.cpp).
int16_t CatalogProc(Call& call);
// Without a login (cancel_proc.cpp, admin_procs.cpp, server_list_procs.cpp).
int16_t CancelPendingProc(Call& call);
int16_t EnumUsersProc(Call& call);
int16_t ShutdownProc(Call& call);
int16_t KillConnectionsProc(Call& call);
int16_t ServerListProc(Call& call);
int16_t DataSourcesProc(Call& call);
// The login (login_proc.cpp).
int16_t ConnectProc(Call& call);
// Prepare and execution (exec_procs.cpp).
int16_t ExecDirectProc(Call& call);  // and its array form
int16_t ExecuteProc(Call& call);     // and its array form
int16_t ParamDataProc(Call& call);
int16_t PrepareProc(Call& call);
int16_t PutLongDataProc(Call& call);
// Fetching (fetch_procs.cpp).
int16_t FetchBlockProc(Call& call);
int16_t FetchRowProc(Call& call);
int16_t GetLongDataProc(Call& call);

}  // namespace velsrv

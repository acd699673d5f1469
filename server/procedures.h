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
int16_t AllocStmtProc(Call& call);         // 1
int16_t DisconnectProc(Call& call);        // 10
int16_t GetErrorsProc(Call& call);         // 12
int16_t GetConnectOptionProc(Call& call);  // 19
int16_t GetInfoProc(Call& call);           // 20
int16_t SetConnectOptionProc(Call& call);  // 33
int16_t TransactProc(Call& call);          // 46
// Statement level (statement_procs.cpp).
int16_t CancelProc(Call& call);         // 4
int16_t FreeStmtProc(Call& call);       // 18
int16_t GetStmtOptionProc(Call& call);  // 22
int16_t SetCursorNameProc(Call& call);  // 34
int16_t SetStmtOptionProc(Call& call);  // 35
// Catalog functions, 55 to 64 (catalog_procs.cpp).
int16_t CatalogProc(Call& call);
// Without a login (cancel_proc.cpp, admin_procs.cpp, server_list_procs.cpp).
int16_t CancelPendingProc(Call& call);    // 3
int16_t EnumUsersProc(Call& call);        // 11
int16_t ShutdownProc(Call& call);         // 36
int16_t KillConnectionsProc(Call& call);  // 51
int16_t ServerListProc(Call& call);       // 47
int16_t DataSourcesProc(Call& call);      // 48
// The login (login_proc.cpp).
int16_t ConnectProc(Call& call);  // 65
// Prepare and execution (exec_procs.cpp).
int16_t ExecDirectProc(Call& call);   // 13, 49
int16_t ExecuteProc(Call& call);      // 14, 50
int16_t ParamDataProc(Call& call);    // 24
int16_t PrepareProc(Call& call);      // 25
int16_t PutLongDataProc(Call& call);  // 32
// Fetching (fetch_procs.cpp).
int16_t FetchBlockProc(Call& call);   // 2
int16_t FetchRowProc(Call& call);     // 15
int16_t GetLongDataProc(Call& call);  // 21

}  // namespace velsrv

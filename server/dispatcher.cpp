#include "server/dispatcher.h"

#include "server/call.h"
#include "server/procedures.h"
#include "wire/protocol.h"

namespace velsrv {

namespace {

struct Entry {
  uint32_t id;
  ProcedureHandler handler;
};

constexpr Entry kProcedures[] = {
    {kRpcAllocStmt, AllocStmtProc},
    {kRpcFetchBlock, FetchBlockProc},
    {kRpcCancelPending, CancelPendingProc},
    {kRpcCancel, CancelProc},
    {kRpcDisconnect, DisconnectProc},
    {kRpcEnumUsers, EnumUsersProc},
    {kRpcGetErrors, GetErrorsProc},
    {kRpcExecDirect, ExecDirectProc},
    {kRpcExecute, ExecuteProc},
    {kRpcFetch, FetchRowProc},
    {kRpcFreeStmt, FreeStmtProc},
    {kRpcGetConnectOption, GetConnectOptionProc},
    {kRpcGetInfo, GetInfoProc},
    {kRpcGetLongData, GetLongDataProc},
    {kRpcGetStmtOption, GetStmtOptionProc},
    {kRpcParamData, ParamDataProc},
    {kRpcPrepare, PrepareProc},
    {kRpcPutLongData, PutLongDataProc},
    {kRpcSetConnectOption, SetConnectOptionProc},
    {kRpcSetCursorName, SetCursorNameProc},
    {kRpcSetStmtOption, SetStmtOptionProc},
    {kRpcShutdown, ShutdownProc},
    {kRpcTransact, TransactProc},
    {kRpcGetServerList, ServerListProc},
    {kRpcGetDataSources, DataSourcesProc},
    {kRpcExecDirectArray, ExecDirectProc},
    {kRpcExecuteArray, ExecuteProc},
    {kRpcKillConnections, KillConnectionsProc},
    {kRpcColumnPrivileges, CatalogProc},
    {kRpcColumns, CatalogProc},
    {kRpcForeignKeys, CatalogProc},
    {kRpcPrimaryKeys, CatalogProc},
    {kRpcProcedureColumns, CatalogProc},
    {kRpcProcedures, CatalogProc},
    {kRpcSpecialColumns, CatalogProc},
    {kRpcStatistics, CatalogProc},
    {kRpcTablePrivileges, CatalogProc},
    {kRpcTables, CatalogProc},
    {kRpcConnect, ConnectProc},
};

}  // namespace

ProcedureHandler FindProcedure(uint32_t procedure) {
  for (const Entry& e : kProcedures) {
    if (e.id == procedure) return e.handler;
  }
  return nullptr;
}

DispatchOutcome Dispatch(Session& session, MsgBuf* request, MsgBuf* reply) {
  RequestHeader header;
  if (!ParseRequestHeader(request, &header)) return DispatchOutcome::kClose;
  if (header.length != request->write_len) return DispatchOutcome::kClose;
  ProcedureHandler handler = FindProcedure(header.procedure);
  if (handler == nullptr) return DispatchOutcome::kClose;
  // A refused connection answers its login and the login's diagnostics.
  if (!session.refusal().empty() && header.procedure != kRpcConnect &&
      header.procedure != kRpcGetErrors)
    return DispatchOutcome::kClose;

  // The reply answers the request's procedure and sequence number; its
  // status is set once the handler has run.
  reply->write_len = 0;
  reply->read_pos = 0;
  if (!EncodeReplyHeader(reply, header.procedure, header.sequence, 0))
    return DispatchOutcome::kClose;

  session.CountRequest();
  Call call(session, header.procedure, request, reply);
  int16_t status = handler(call);
  if (!call.write_ok()) return DispatchOutcome::kClose;
  SetReplyStatus(reply, status);
  return DispatchOutcome::kReply;
}

}  // namespace velsrv

#include "server/dispatcher.h"

#include "server/call.h"
#include "server/procedures.h"

namespace velsrv {

namespace {

struct Entry {
  uint32_t id;
  ProcedureHandler handler;
};

constexpr Entry kProcedures[] = {
    {1, AllocStmtProc},         {2, FetchBlockProc},
    {3, CancelPendingProc},     {4, CancelProc},
    {10, DisconnectProc},       {11, EnumUsersProc},
    {12, GetErrorsProc},        {13, ExecDirectProc},
    {14, ExecuteProc},          {15, FetchRowProc},
    {18, FreeStmtProc},         {19, GetConnectOptionProc},
    {20, GetInfoProc},          {21, GetLongDataProc},
    {22, GetStmtOptionProc},    {24, ParamDataProc},
    {25, PrepareProc},          {32, PutLongDataProc},
    {33, SetConnectOptionProc}, {34, SetCursorNameProc},
    {35, SetStmtOptionProc},    {36, ShutdownProc},
    {46, TransactProc},         {47, ServerListProc},
    {48, DataSourcesProc},      {49, ExecDirectProc},
    {50, ExecuteProc},          {51, KillConnectionsProc},
    {55, CatalogProc},          {56, CatalogProc},
    {57, CatalogProc},          {58, CatalogProc},
    {59, CatalogProc},          {60, CatalogProc},
    {61, CatalogProc},          {62, CatalogProc},
    {63, CatalogProc},          {64, CatalogProc},
    {65, ConnectProc},
};

}  // namespace

ProcedureHandler FindProcedure(uint32_t procedure) {
  for (const Entry& e : kProcedures) {
    if (e.id == procedure) return e.handler;
  }
  return nullptr;
}

DispatchOutcome Dispatch(Session& session, MsgBuf* request, MsgBuf* reply) {
  uint32_t length, procedure;
  uint16_t sequence, sequence_again, one;
  if (!MsgBufGetU32(request, &length) || !MsgBufGetU32(request, &procedure) ||
      !MsgBufGetU16(request, &sequence) || !MsgBufGetU16(request, &sequence_again) ||
      !MsgBufGetU16(request, &one))
    return DispatchOutcome::kClose;
  if (length != request->write_len) return DispatchOutcome::kClose;
  ProcedureHandler handler = FindProcedure(procedure);
  if (handler == nullptr) return DispatchOutcome::kClose;

  // Reply header: length slot (the frame fills it), the procedure id, the
  // sequence number, the status (patched below) and 1, as the request has.
  reply->write_len = 0;
  reply->read_pos = 0;
  if (!MsgBufPutU32(reply, 0) || !MsgBufPutU32(reply, procedure) ||
      !MsgBufPutU16(reply, sequence) || !MsgBufPutU16(reply, 0) || !MsgBufPutU16(reply, 1))
    return DispatchOutcome::kClose;

  session.CountRequest();
  Call call(session, procedure, request, reply);
  int16_t status = handler(call);
  if (!call.write_ok()) return DispatchOutcome::kClose;
  auto bits = static_cast<uint16_t>(status);
  reply->data[10] = static_cast<uint8_t>(bits >> 8);
  reply->data[11] = static_cast<uint8_t>(bits);
  return DispatchOutcome::kReply;
}

}  // namespace velsrv

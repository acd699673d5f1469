#include "testing/dispatch_harness.h"

#include "server/dispatcher.h"
#include "wire/protocol.h"

namespace velsrv_test {

velsrv::ServerConfig ScriptedConfig() {
  velsrv::ServerConfig c;
  c.port = 0;
  c.dsns = {{"sales", "Sales data", "DSN=scripted"}, {"orphan", "Points nowhere", "DSN=missing"}};
  return c;
}

Harness::Harness(velsrv::ScriptedData data, const velsrv::ServerConfig& config)
    : backend_(std::move(data)), context_(config, backend_) {}

std::shared_ptr<velsrv::Session> Harness::NewSession(bool loopback) {
  return std::make_shared<velsrv::Session>(context_, -1, loopback, "127.0.0.1");
}

bool Harness::Call(velsrv::Session& session, MsgBufPtr request, Reply* reply) {
  // As the frame reader leaves it: the length slot filled, read from 0.
  MsgBuf* r = request.get();
  SetLengthSlot(r);
  r->read_pos = 0;
  MsgBufPtr out(MsgBufCreate());
  if (velsrv::Dispatch(session, r, out.get()) != velsrv::DispatchOutcome::kReply) return false;
  return ParseReply(std::move(out), reply);
}

LoginResult Harness::Login(velsrv::Session& session, const std::string& connection_string,
                           int16_t* status) {
  MsgBufPtr request = LoginRequest(connection_string);
  Reply reply;
  LoginResult result;
  *status = 0x7FFF;
  if (Call(session, std::move(request), &reply) &&
      UnpackLogin(reply.buf.get(), LoginTextLength(connection_string), &result))
    *status = reply.status;
  return result;
}

int32_t Harness::LoginOk(velsrv::Session& session) {
  int16_t status;
  LoginResult r = Login(session, SalesLogin(), &status);
  return status == 0 ? r.connection_id : 0;
}

int32_t Harness::AllocStmt(velsrv::Session& session, int32_t connection_id) {
  Reply reply;
  int32_t id = 0;
  if (!Call(session,
            Request(kRpcAllocStmt, [&](MsgBuf* b) { return PutConnection(b, connection_id); }),
            &reply) ||
      reply.status != 0 || !UnpackI32(reply.buf.get(), &id))
    return 0;
  return id;
}

std::vector<LnaDiagRecord> Harness::Errors(velsrv::Session& session, int32_t connection_id,
                                           int32_t statement_id) {
  Reply reply;
  std::vector<LnaDiagRecord> out;
  if (Call(session,
           Request(kRpcGetErrors,
                   [&](MsgBuf* b) {
                     return MsgBufPutI32(b, connection_id) && MsgBufPutI32(b, statement_id);
                   }),
           &reply))
    UnpackErrors(reply.buf.get(), &out);
  return out;
}

std::string SalesLogin(const std::string& uid, const std::string& pwd) {
  return "DSN=Sales;ServerName=127.0.0.1.1583;ServerDSN=sales;UID=" + uid + ";PWD=" + pwd +
         ";ArrayFetchOn=1;ArrayBufferSize=8;ClntHostName=pc7;ClntIP=10.0.0.7;ClntUserName=ann;"
         "ExecDesc=app;";
}

}  // namespace velsrv_test

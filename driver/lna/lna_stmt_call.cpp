#include "driver/lna/lna_stmt_call.h"

#include <atomic>

#include "driver/lna/conn_stubs.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/rpc_connection.h"

namespace {

constexpr uint32_t kMsgTimeoutExpired = 5162;  // "S1T00Timeout expired."

std::atomic_ref<LnaStatement*> Calling(LnaConnection* conn) {
  return std::atomic_ref<LnaStatement*>(conn->calling_stmt);
}

// The query timeout passed: the server is asked, on a connection of its
// own, to cancel what runs for this login.
bool CancelOverdue(void* context) {
  auto* conn = static_cast<LnaConnection*>(context);
  return _rpcLnaCancelPendingSP(conn->server_name, conn->cancel_key, LnaCancelWaitMs(conn)) ==
         kLnaOk;
}

}  // namespace

LnaStmtCall::LnaStmtCall(LnaStatement* stmt)
    : stmt_(stmt), rpc_(stmt != nullptr && stmt->conn != nullptr ? stmt->conn->rpc : nullptr) {
  if (rpc_ == nullptr) return;
  uint64_t wait = uint64_t{stmt->query_timeout_s} * 1000;
  wait_.conn = rpc_;
  wait_.wait_ms = wait > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(wait);
  wait_.overdue_fn = CancelOverdue;
  wait_.overdue_context = stmt->conn;
  outer_ = RpcSetStatementWait(&wait_);
  Calling(stmt->conn).store(stmt);
}

LnaStmtCall::~LnaStmtCall() {
  End();
}

void LnaStmtCall::End() {
  if (rpc_ == nullptr) return;
  Calling(stmt_->conn).store(nullptr);
  RpcSetStatementWait(outer_);
  rpc_ = nullptr;
}

int16_t LnaStmtCall::Settle(int16_t status, uint32_t procedure) {
  bool overdue = rpc_ != nullptr && wait_.overdue;
  End();
  if (status == kLnaFailed) PostTransportError(nullptr, stmt_, procedure);
  if (overdue && status != kLnaOk && status != kLnaInfo && status != kLnaNeedData)
    PostLnaError(nullptr, stmt_, kMsgTimeoutExpired, 0,
                 kLocTransportBase + static_cast<int32_t>(procedure));
  return status;
}

bool LnaStmtInCall(const LnaStatement* stmt) {
  if (stmt == nullptr || stmt->conn == nullptr) return false;
  return Calling(stmt->conn).load() == stmt;
}

void LnaSetQueryTimeout(LnaStatement* stmt, uint32_t seconds) {
  if (stmt != nullptr) stmt->query_timeout_s = seconds;
}

uint32_t LnaCancelWaitMs(const LnaConnection* conn) {
  uint32_t wait = conn != nullptr ? conn->call_wait_ms : 0;
  return wait != 0 && wait < kRpcCancelGraceMs ? wait : kRpcCancelGraceMs;
}

#include "driver/lna/lna_async.h"

#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/protocol.h"

namespace {

enum class Verdict { kGoOn, kStarted, kWrongStarted, kWrongCancelling, kUnknown };

void SetSkip(uint32_t* skip, uint32_t value) {
  if (skip != nullptr) *skip = value;
}

}  // namespace

int16_t _rcLnaCheckStmtAsync(LnaStatement* stmt, uint32_t procedure, uint8_t async,
                             uint32_t* skip) {
  SetSkip(skip, 0);
  if (stmt == nullptr || stmt->conn == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  Verdict verdict = Verdict::kGoOn;
  {
    LnaFieldGuard guard;
    switch (conn->async_state) {
      case kLnaAsyncStarted:
      case kLnaAsyncCancelRequested:
        if (conn->async_owner == stmt && stmt->async_procedure == procedure)
          verdict = Verdict::kStarted;
        else if (conn->async_state == kLnaAsyncStarted)
          verdict = Verdict::kWrongStarted;
        else
          verdict = Verdict::kWrongCancelling;
        break;
      case kLnaAsyncIdle:
        if (async && !conn->async_disabled) {
          conn->async_owner = stmt;
          stmt->async_procedure = static_cast<uint16_t>(procedure);
          conn->async_state = kLnaAsyncStarted;
          verdict = Verdict::kStarted;
        }
        break;
      default:
        verdict = Verdict::kUnknown;
        break;
    }
  }
  switch (verdict) {
    case Verdict::kStarted:
      return kLnaOk;
    case Verdict::kWrongStarted:
      PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgAsyncWrongOwner, kLocAsyncStarted);
      return kLnaFailed;
    case Verdict::kWrongCancelling:
      PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgAsyncWrongOwner, kLocAsyncCancelling);
      return kLnaFailed;
    case Verdict::kUnknown:
      PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgAsyncUnknownState, kLocAsyncUnknown);
      return kLnaFailed;
    case Verdict::kGoOn:
      break;
  }
  if (stmt->server_stmt != 0) return kLnaOk;
  int32_t server_stmt = 0;
  int16_t rc = _rpcLnaAllocStmtSP(&conn->rpc, conn->server_conn, &server_stmt);
  if (rc != kLnaOk && rc != kLnaInfo) {
    if (rc == kLnaFailed) PostTransportError(conn, stmt, kRpcAllocStmt);
    return rc;
  }
  stmt->server_stmt = server_stmt;
  return rc;
}

int16_t _rcLnaCheckNoAsync(LnaConnection* conn, LnaStatement* stmt) {
  if (stmt != nullptr) conn = stmt->conn;
  if (conn == nullptr) {
    PostLnaError(nullptr, nullptr, kLnaMsgGeneric, kLnaMsgAsyncNoRecord, kLocAsyncNoRecord);
    return kLnaFailed;
  }
  if (LnaAsyncState(conn) == kLnaAsyncIdle) return kLnaOk;
  PostLnaError(stmt != nullptr ? nullptr : conn, stmt, kLnaMsgGeneric, kLnaMsgAsyncNotAllowed,
               kLocAsyncNotAllowed);
  return kLnaFailed;
}

int16_t _rcLnaEndStmtAsync(LnaStatement* stmt, uint32_t /*procedure*/, int16_t result,
                           uint8_t /*async*/, uint32_t* skip) {
  LnaConnection* conn = stmt->conn;
  uint32_t state;
  {
    LnaFieldGuard guard;
    state = conn->async_state;
    if (state == kLnaAsyncCancelRequested) {
      stmt->async_procedure = 0;
      conn->async_owner = nullptr;
      conn->async_state = kLnaAsyncIdle;
    }
  }
  switch (state) {
    case kLnaAsyncIdle:
      SetSkip(skip, 0);
      return result;
    case kLnaAsyncStarted:
      SetSkip(skip, 1);
      return kLnaStillExecuting;
    case kLnaAsyncCancelRequested:
      break;
    default:
      SetSkip(skip, 0);
      return result;
  }
  if (result == kLnaOk || result == kLnaInfo) {
    SetSkip(skip, 0);
    return result;
  }
  LnaCancelSP(stmt);
  stmt->fetch_state = kLnaNewResult;
  SetSkip(skip, 1);
  return result;
}

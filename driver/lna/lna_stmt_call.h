// One remote call of a statement that may run long (prepare, execution,
// fetch, long data, catalog): while it is on the wire a cancel from another
// thread finds it, and the statement's query timeout bounds its reply. When
// the timeout passes the call is cancelled through the cancel route, and
// the call ends with "S1T00".
#pragma once

#include <cstdint>

#include "driver/lna/lna_call.h"
#include "driver/lna/lna_records.h"
#include "driver/lna/rpc_call.h"

class LnaStmtCall {
 public:
  explicit LnaStmtCall(LnaStatement* stmt);
  ~LnaStmtCall();
  LnaStmtCall(const LnaStmtCall&) = delete;
  LnaStmtCall& operator=(const LnaStmtCall&) = delete;

  // The call's status once its transport error (if any) is posted: a
  // failure of a call whose reply outlasted the query timeout is reported
  // as the timeout.
  // Ends the call: what follows (clean-up, a cancel by procedure 4) is no
  // longer this call.
  int16_t Settle(int16_t status, uint32_t procedure);

 private:
  void End();
  LnaStatement* stmt_;
  RpcConnection* rpc_;
  RpcStatementWait wait_{};
  RpcStatementWait* outer_ = nullptr;  // the thread's wait before this call
};

// True while a call of `stmt` is on the wire (any thread may ask).
bool LnaStmtInCall(const LnaStatement* stmt);
// The query timeout, in seconds, that bounds the statement's replies.
void LnaSetQueryTimeout(LnaStatement* stmt, uint32_t seconds);
// How long the cancel route's own connection may take to deliver a cancel
// of a call of `conn`: the connection's call wait, at most
// kRpcCancelGraceMs.
uint32_t LnaCancelWaitMs(const LnaConnection* conn);

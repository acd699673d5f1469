// The asynchronous state of a connection, driven through the operations:
// one pending call per connection, repeated by its statement until it is
// cancelled, everything else refused meanwhile.
#include "testing/lna_call_test_support.h"

namespace lna_call_test {
namespace {

enum class Action { kExecDirect, kPrepare, kCancel, kGetInfo, kAllocStmt, kReadConnDiag };

struct AsyncStep {
  const char* name;
  char actor;  // 'A', 'B', or 'C' for the connection
  Action action;
  uint8_t async;
  int16_t expected;
  uint32_t state_after;
  int32_t native;  // location of the refusal's diagnostic; 0: none
};

class AsyncStateTest : public CallLayerTest {
 protected:
  int16_t Run(const AsyncStep& step, LnaConnection* conn, LnaStatement* a, LnaStatement** b) {
    LnaStatement* stmt = step.actor == 'A' ? a : *b;
    LnaColumnDesc* cols = nullptr;
    LnaParamDesc* params = nullptr;
    uint16_t nc = 0, np = 0;
    int32_t rows = 0;
    switch (step.action) {
      case Action::kExecDirect:
        return LnaExecDirectMP(stmt, "SELECT 1", &cols, &nc, &params, &np, 0, nullptr, 0, nullptr,
                               &rows, step.async);
      case Action::kPrepare:
        return LnaPrepareMP(stmt, "SELECT 1", &cols, &nc, &params, &np, step.async);
      case Action::kCancel:
        return LnaCancelSP(stmt);
      case Action::kGetInfo: {
        char buf[16];
        int32_t n = 0;
        uint16_t t = 0;
        return LnaGetInfoSP(conn, 16, buf, sizeof buf, &n, &t);
      }
      case Action::kAllocStmt:
        return LnaAllocStmtSP(conn, b);
      case Action::kReadConnDiag: {
        LnaDiagRecord d[kLnaMaxDiagnostics];
        uint16_t n = 0;
        int16_t rc = LnaGetDiagnostics(conn, nullptr, d, &n);
        EXPECT_EQ(n, 1);
        EXPECT_STREQ(d[0].sqlstate, "S1000");
        EXPECT_EQ(d[0].native_error, 1507);  // the refusal of the step before
        return rc;
      }
    }
    return 0;
  }
};

TEST_F(AsyncStateTest, StartRepeatCancelAndOtherStatementsRefused) {
  const AsyncStep steps[] = {
      {"A starts", 'A', Action::kExecDirect, 1, kLnaStillExecuting, 1, 0},
      {"B created meanwhile, no request", 'C', Action::kAllocStmt, 0, kLnaOk, 1, 0},
      {"A repeats", 'A', Action::kExecDirect, 1, kLnaStillExecuting, 1, 0},
      {"A, another operation", 'A', Action::kPrepare, 1, kLnaFailed, 1, 1503},
      {"B while started", 'B', Action::kExecDirect, 0, kLnaFailed, 1, 1503},
      {"connection call while started", 'C', Action::kGetInfo, 0, kLnaFailed, 1, 0},
      {"diagnostics while started", 'C', Action::kReadConnDiag, 0, kLnaOk, 1, 0},
      {"B cannot cancel A's call", 'B', Action::kCancel, 0, kLnaFailed, 1, 1606},
      {"A cancels", 'A', Action::kCancel, 0, kLnaOk, 2, 0},
      {"B while cancelling", 'B', Action::kExecDirect, 0, kLnaFailed, 2, 1504},
      {"A repeats after the cancel", 'A', Action::kExecDirect, 1, kLnaOk, 0, 0},
      {"B runs, fetching its id first", 'B', Action::kExecDirect, 0, kLnaOk, 0, 0},
  };
  ScriptedPeer peer({Steps({Answer(0, ExecDirectFields()), Answer(0, ExecDirectFields()),
                            Answer(0, ExecDirectFields()), Answer(0, AllocStmtFields(11)),
                            Answer(0, ExecDirectFields())})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* a = Stmt(conn);
  LnaStatement* b = nullptr;

  for (const AsyncStep& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(Run(step, conn, a, &b), step.expected);
    EXPECT_EQ(LnaAsyncState(conn), step.state_after);
    if (step.native != 0) {
      LnaStatement* on = step.actor == 'A' ? a : (step.actor == 'B' ? b : nullptr);
      LnaDiagRecord d = Diagnostic(on == nullptr ? conn : nullptr, on);
      EXPECT_STREQ(d.sqlstate, "S1000");
      EXPECT_EQ(d.native_error, step.native);
    }
    if (step.action == Action::kAllocStmt) {
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->server_stmt, 0);
    }
  }
  EXPECT_EQ(b->server_stmt, 11);
  EXPECT_EQ(conn->async_owner, nullptr);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{13, 13, 13, 1, 13}));
}

// A completion that fails after the cancel also cancels the statement on
// the server; a connection whose AsyncEnable is off runs every call at once.
TEST_F(AsyncStateTest, FailedCompletionCancelsAndDisabledAsyncRunsAtOnce) {
  ScriptedPeer peer({Steps({Answer(0, ExecDirectFields()), Answer(-19, ExecDirectFields()),
                            Answer(0), Answer(0, ExecDirectFields())})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* a = Stmt(conn);
  LnaColumnDesc* cols = nullptr;
  LnaParamDesc* params = nullptr;
  uint16_t nc = 0, np = 0;
  int32_t rows = 0;
  auto exec = [&]() {
    return LnaExecDirectMP(a, "x", &cols, &nc, &params, &np, 0, nullptr, 0, nullptr, &rows, 1);
  };

  EXPECT_EQ(exec(), kLnaStillExecuting);
  EXPECT_EQ(LnaCancelSP(a), kLnaOk);
  a->fetch_state = kLnaFetching;
  EXPECT_EQ(exec(), kLnaServerError);
  EXPECT_EQ(LnaAsyncState(conn), kLnaAsyncIdle);
  EXPECT_EQ(a->fetch_state, kLnaNewResult);

  conn->async_disabled = 1;
  EXPECT_EQ(exec(), kLnaOk);
  EXPECT_EQ(LnaAsyncState(conn), kLnaAsyncIdle);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{13, 13, 4, 13}));
}

}  // namespace
}  // namespace lna_call_test

// A broken connection: how a transport failure breaks it, and how every
// operation then refuses without a request.
#include "driver/lna/lna_errors.h"
#include "driver/lna/net_error.h"
#include "testing/lna_call_test_support.h"
#include "testing/lna_refusal_cases.h"

namespace lna_call_test {
namespace {

class BrokenConnectionTest : public CallLayerTest {};

TEST_F(BrokenConnectionTest, EveryRemoteOperationIsRefusedWithoutARequest) {
  const std::string dead = Prefixed(Text(8124));
  for (const RefusalCase& c : kRefusals) {
    SCOPED_TRACE(c.name);
    // Nothing may arrive after the greeting: the peer expects the hang-up.
    ScriptedPeer peer({{Greet(), ExpectClosed()}});
    LnaConnection* conn = Connected(peer);
    LnaStatement* stmt = Stmt(conn);
    LnaSetBroken(conn, 1);

    EXPECT_EQ(c.op(conn, stmt), kLnaFailed);
    LnaDiagRecord d = Diagnostic(c.on_statement ? nullptr : conn, c.on_statement ? stmt : nullptr);
    EXPECT_STREQ(d.sqlstate, "08S01");
    EXPECT_EQ(d.native_error, c.location);
    EXPECT_EQ(d.text, dead);

    Free(conn);
    EXPECT_TRUE(peer.AllStepsPassed());
  }
}

// Local clean-up still runs where the operation has some: the statement is
// dropped, the logout closes the connection, and neither sends anything.
TEST_F(BrokenConnectionTest, DropAndDisconnectCleanUpLocally) {
  ScriptedPeer peer({{Greet(), ExpectClosed()}});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);
  LnaSetBroken(conn, 1);

  EXPECT_EQ(LnaFreeStmtSP(stmt, 1), kLnaOk);
  EXPECT_EQ(ArrCount(conn->statements), 0u);
  EXPECT_EQ(LnaDisconnectSP(conn), kLnaInfo);
  EXPECT_EQ(LnaIsConnected(conn), 0);
  LnaDiagRecord d = Diagnostic(conn, nullptr);
  EXPECT_STREQ(d.sqlstate, "01002");
  EXPECT_EQ(d.native_error, 1111);
  EXPECT_TRUE(peer.AllStepsPassed());
  EXPECT_EQ(LnaDisconnectSP(conn), kLnaOk);  // nothing left to close
}

struct TransportCase {
  const char* name;
  uint32_t code;
  uint32_t procedure;
  const char* sqlstate;
  std::string text;  // behind the prefix
};

TEST_F(BrokenConnectionTest, TransportErrorStepBreaksOnlyWithTheThreadsLastError) {
  const TransportCase cases[] = {
      {"host not found", 137, 13, "08S01", Text(0x80001FAFu)},
      {"no memory", 2, 14, "S1001", "Memory allocation error."},
      {"unknown code", 99, 13, "08S01",
       "VeltoClient cannot communicate with VeltoServer due to a network error (RPC = 13, Error "
       "= 99). Please report this error to Velto Technologies."},
      {"peer closed", 152, 2, "08S01", Text(8113)},
      {"refused", 133, 65, "08S01", Text(0x80001FB0u)},
      {"reply left over", 202, 20, "08S01", Text(0x80001FC1u)},
  };
  for (const TransportCase& c : cases) {
    SCOPED_TRACE(c.name);
    LnaConnection* conn = nullptr;
    ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
    LnaStatement stmt{};
    stmt.conn = conn;

    TlsSlotSet(c.code);
    PostTransportError(nullptr, &stmt, c.procedure);
    EXPECT_EQ(LnaIsBroken(conn), 1u);
    LnaDiagRecord d = Diagnostic(nullptr, &stmt);
    EXPECT_STREQ(d.sqlstate, c.sqlstate);
    EXPECT_EQ(d.native_error, 2000 + static_cast<int32_t>(c.procedure));
    EXPECT_EQ(d.text, Prefixed(c.text));
    LnaFreeConnect(conn);
  }

  // The server's own -20 leaves no trace and the connection working.
  LnaConnection* conn = nullptr;
  ASSERT_EQ(LnaAllocConnect(&conn), kLnaOk);
  TlsSlotSet(0);
  PostTransportError(conn, nullptr, 13);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  EXPECT_EQ(conn->diag_waiting, 0u);
  LnaFreeConnect(conn);
}

// Through an operation: the server's error status leaves the connection
// usable; a connection cut under a request breaks it.
TEST_F(BrokenConnectionTest, OperationsBreakTheConnectionOnlyOnTransportFailures) {
  ScriptedPeer peer({Steps({Answer(-20), {ExpectRequest(), testing_peer::CloseConnection()}})});
  LnaConnection* conn = Connected(peer);
  LnaStatement* stmt = Stmt(conn);

  EXPECT_EQ(LnaSetCursorNameSP(stmt, "c1"), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  EXPECT_EQ(stmt->diag_waiting, 0u);  // the server holds the reasons

  EXPECT_EQ(LnaSetCursorNameSP(stmt, "c2"), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 1u);
  LnaDiagRecord d = Diagnostic(nullptr, stmt);
  EXPECT_STREQ(d.sqlstate, "08S01");
  EXPECT_EQ(d.native_error, 2034);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{34, 34}));
}

}  // namespace
}  // namespace lna_call_test

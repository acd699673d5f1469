// Waits that end: a server that accepts and then stays silent fails the
// login within its timeout, and a statement's query timeout cancels its
// call through the cancel route and ends it with S1T00, the connection
// still usable. Once logged in, a call that runs no statement waits at most
// the login's wait and leaves a silent server's connection broken; the
// cancel route is bounded too, and says when it could not cancel.
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "driver/lna/lna_stmt_call.h"
#include "testing/lna_call_test_support.h"

namespace {

using namespace lna_call_test;
using testing_peer::ExpectRequest;
using testing_peer::Greet;
using testing_peer::ReadGreeting;
using testing_peer::Reply;
using testing_peer::SilentUntilHangUp;
using testing_peer::StallMs;

using WaitTest = CallLayerTest;
using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// What a login with a wait of `ms` leaves on the record.
void SetCallWait(LnaConnection* conn, uint32_t ms) {
  conn->call_wait_ms = ms;
  conn->rpc->call_wait_ms = ms;
}

// A direct execution without parameters or result columns.
int16_t ExecDirect(LnaStatement* stmt, const char* sql) {
  LnaColumnDesc* cols = nullptr;
  LnaParamDesc* params = nullptr;
  uint16_t nc = 0, np = 0;
  int32_t rows = 0;
  return LnaExecDirectMP(stmt, sql, &cols, &nc, &params, &np, 0, nullptr, 0, nullptr, &rows, 0);
}

TEST_F(WaitTest, ASilentServerFailsTheLoginWithinItsTimeout) {
  struct Case {
    const char* name;
    Script script;
    bool timeout_option;  // SQL_LOGIN_TIMEOUT rather than the DSN key
  };
  const Case cases[] = {
      {"no greeting", {ReadGreeting(), SilentUntilHangUp(2500)}, false},
      {"no login reply", {Greet(), ExpectRequest(), SilentUntilHangUp(2500)}, false},
      {"no login reply, by the option", {Greet(), ExpectRequest(), SilentUntilHangUp(2500)}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({c.script});
    LnaConnection* conn = NewRecord();
    std::string login = "DSN=a;ServerName=" + peer.address();
    if (c.timeout_option) {
      LnaSetLoginTimeout(conn, 1);
    } else {
      login += ";LoginTimeout=1";
    }
    LoginOuts outs;
    EXPECT_EQ(outs.Login(conn, login), kLnaFailed);
    LnaDiagRecord d = Diagnostic(conn, nullptr);
    EXPECT_STREQ(d.sqlstate, "S1T00");
    EXPECT_EQ(d.native_error, 2065);
    EXPECT_EQ(LnaIsConnected(conn), 0);
    Free(conn);
  }
}

// The server's SYNs are dropped: the login's timeout ends the connect too.
TEST_F(WaitTest, TheLoginTimeoutBoundsTheConnect) {
  ScopedSilentConnects silent;
  LnaConnection* conn = NewRecord();
  LoginOuts outs;
  Clock::time_point start = Clock::now();
  EXPECT_EQ(outs.Login(conn, "DSN=a;ServerName=127.0.0.1:1583;LoginTimeout=1"), kLnaFailed);
  EXPECT_LT(MsSince(start), 4000);  // ten attempts of 5 s before
  LnaDiagRecord d = Diagnostic(conn, nullptr);
  EXPECT_STREQ(d.sqlstate, "S1T00");
  EXPECT_EQ(d.native_error, 2065);
}

// Against a server that stopped after the login, every call that runs no
// statement ends at the call wait with S1T00 and a broken connection, long
// before the server would hang up (then the text would be the one of a
// dropped connection). A disconnect disconnects all the same, with 01002.
TEST_F(WaitTest, ACallThatRunsNoStatementEndsAtTheCallWait) {
  struct Case {
    const char* name;
    uint32_t procedure;
    bool on_statement;  // the diagnostic waits on the statement
    std::function<int16_t(LnaConnection*, LnaStatement*)> call;
    int16_t result = kLnaFailed;
    const char* sqlstate = "S1T00";
  };
  const Case cases[] = {
      {"allocate a statement", kRpcAllocStmt, false,
       [](LnaConnection* c, LnaStatement*) {
         LnaStatement* made = nullptr;
         return LnaAllocStmtSP(c, &made);
       }},
      {"switch autocommit off", kRpcSetConnectOption, false,
       [](LnaConnection* c, LnaStatement*) { return LnaSetConnectOptionMP(c, 102, 0, 4); }},
      {"set a statement option", kRpcSetStmtOption, true,
       [](LnaConnection*, LnaStatement* s) { return LnaSetStmtOptionSP(s, 1, 500, 4); }},
      {"close a statement", kRpcFreeStmt, true,
       [](LnaConnection*, LnaStatement* s) { return LnaFreeStmtSP(s, 0); }},
      {"cancel a statement", kRpcCancel, true,
       [](LnaConnection*, LnaStatement* s) { return LnaCancelSP(s); }},
      {"roll back", kRpcTransact, false,
       [](LnaConnection* c, LnaStatement*) { return LnaTransactSP(c, 1); }},
      {"get information", kRpcGetInfo, false,
       [](LnaConnection* c, LnaStatement*) {
         char buffer[64];
         int32_t length = 0;
         uint16_t c_type = 0;
         return LnaGetInfoSP(c, 17, buffer, sizeof buffer, &length, &c_type);
       }},
      {"disconnect", kRpcDisconnect, false,
       [](LnaConnection* c, LnaStatement*) { return LnaDisconnectSP(c); }, kLnaInfo, "01002"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({Steps({{ExpectRequest(), SilentUntilHangUp(2500)}})});
    LnaConnection* conn = Connected(peer);
    SetCallWait(conn, 300);
    LnaStatement* stmt = Stmt(conn);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(c.call(conn, stmt), c.result);
    EXPECT_LT(MsSince(start), 2400);
    EXPECT_EQ(LnaIsBroken(conn), 1u);
    LnaDiagRecord d = c.on_statement ? Diagnostic(nullptr, stmt) : Diagnostic(conn, nullptr);
    EXPECT_STREQ(d.sqlstate, c.sqlstate);
    if (c.result == kLnaFailed) {
      EXPECT_EQ(d.native_error, 2000 + static_cast<int32_t>(c.procedure));
    } else {
      EXPECT_EQ(LnaIsConnected(conn), 0);
    }
    Free(conn);
  }
}

// A statement without a query timeout runs as long as it needs, beyond the
// call wait.
TEST_F(WaitTest, AStatementWithoutAQueryTimeoutOutlastsTheCallWait) {
  ScriptedPeer peer(
      {Steps({{ExpectRequest(), StallMs(900), Reply(ReplyBytes(0, ExecDirectFields()))}})});
  LnaConnection* conn = Connected(peer);
  SetCallWait(conn, 300);
  LnaStatement* stmt = Stmt(conn);
  EXPECT_EQ(ExecDirect(stmt, "select slowly"), kLnaOk);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  EXPECT_TRUE(peer.AllStepsPassed());
}

// The server stopped: the query timeout's cancel finds a cancel route that
// accepts and never greets, and the call still ends soon after the timeout
// (the cancel's connection waited 30 s for its greeting before).
TEST_F(WaitTest, AQueryTimeoutAgainstAStoppedServerEndsSoonAfterIt) {
  ScriptedPeer peer({Steps({{ExpectRequest(), SilentUntilHangUp(4000)}}),
                     {ReadGreeting(), SilentUntilHangUp(4000)}});
  LnaConnection* conn = Connected(peer);
  SetCallWait(conn, 1000);
  std::strcpy(conn->server_name, peer.address().c_str());
  LnaStatement* stmt = Stmt(conn);
  LnaSetQueryTimeout(stmt, 1);
  Clock::time_point start = Clock::now();
  EXPECT_EQ(ExecDirect(stmt, "select forever"), kLnaFailed);
  EXPECT_LT(MsSince(start), 3800);
  EXPECT_STREQ(Diagnostic(nullptr, stmt).sqlstate, "S1T00");
  // Its reply never came: the connection is out of step with the server.
  EXPECT_EQ(LnaIsBroken(conn), 1u);
  EXPECT_EQ(peer.accepted(), 2);
  Free(conn);
}

// A cancel from another thread that cannot reach the server, or that the
// server refuses, fails and says why, without touching the statement's own
// diagnostics; the statement's call goes on to its end.
TEST_F(WaitTest, ACancelThatIsNotDeliveredFailsWithItsReason) {
  struct Case {
    const char* name;
    Script cancel_route;
    const char* sqlstate;
    std::string text;
  };
  const Case cases[] = {
      {"the route never greets",
       {ReadGreeting(), SilentUntilHangUp(2500)},
       "S1T00",
       Text(0x80001FC5u)},
      {"the server refuses",
       {Greet(), ExpectRequest(), Reply(ReplyBytes(-19, {}))},
       "S1000",
       Text(0x80001FC6u)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer(
        {Steps({{ExpectRequest(), StallMs(1500)}, {Reply(ReplyBytes(0, ExecDirectFields()))}}),
         c.cancel_route});
    LnaConnection* conn = Connected(peer);
    SetCallWait(conn, 500);
    std::strcpy(conn->server_name, peer.address().c_str());
    LnaStatement* stmt = Stmt(conn);
    int16_t executed = kLnaFailed;
    std::thread running([&] { executed = ExecDirect(stmt, "select slowly"); });
    while (!LnaStmtInCall(stmt)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    LnaDiagRecord why{};
    Clock::time_point start = Clock::now();
    EXPECT_EQ(LnaCancelSP(stmt, &why), kLnaFailed);
    EXPECT_LT(MsSince(start), 1400);
    running.join();
    EXPECT_EQ(executed, kLnaOk);
    EXPECT_STREQ(why.sqlstate, c.sqlstate);
    EXPECT_EQ(why.native_error, 2003);
    EXPECT_EQ(std::string(why.text), Prefixed(c.text));
    EXPECT_EQ(LnaIsBroken(conn), 0u);
    Free(conn);
  }
}

TEST_F(WaitTest, AQueryTimeoutCancelsTheCallOnASecondConnection) {
  constexpr uint16_t kKey = 0x4242;
  // The statement's reply comes only after the cancel; the cancel arrives
  // on a connection of its own, with the login's key.
  Bytes cancel = Cat({Be32(14 + 2), Be32(3), Be16(1), Be16(1), Be16(1), Be16(kKey)});
  ScriptedPeer peer({Steps({{ExpectRequest(), StallMs(2000)},
                            {Reply(ReplyBytes(-20, ExecDirectFields()))},
                            Answer(0, AllocStmtFields(0))}),
                     {Greet(), testing_peer::ExpectRequest(cancel), Reply(ReplyBytes(0, {}))}});
  LnaConnection* conn = Connected(peer);
  conn->cancel_key = kKey;
  std::strcpy(conn->server_name, peer.address().c_str());
  LnaStatement* stmt = Stmt(conn);
  LnaSetQueryTimeout(stmt, 1);

  EXPECT_EQ(ExecDirect(stmt, "select forever"), kLnaFailed);
  EXPECT_FALSE(LnaStmtInCall(stmt));
  LnaDiagRecord d = Diagnostic(nullptr, stmt);
  EXPECT_STREQ(d.sqlstate, "S1T00");
  EXPECT_EQ(d.native_error, 2013);
  // The connection kept step with the server.
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  LnaStatement* next = nullptr;
  EXPECT_EQ(LnaAllocStmtSP(conn, &next), kLnaOk);
  EXPECT_TRUE(peer.AllStepsPassed());
  EXPECT_EQ(peer.Received(1).size(), 1u);
}

}  // namespace

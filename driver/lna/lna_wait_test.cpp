// Waits that end: a server that accepts and then stays silent fails the
// login within its timeout, and a statement's query timeout cancels its
// call through the cancel route and ends it with S1T00, the connection
// still usable.
#include <cstring>
#include <string>

#include "driver/lna/lna_stmt_call.h"
#include "testing/lna_call_test_support.h"

namespace {

using namespace lna_call_test;
using testing_peer::ExpectRequest;
using testing_peer::Greet;
using testing_peer::ReadGreeting;
using testing_peer::Reply;
using testing_peer::StallMs;

using WaitTest = CallLayerTest;

TEST_F(WaitTest, ASilentServerFailsTheLoginWithinItsTimeout) {
  struct Case {
    const char* name;
    Script script;
    bool timeout_option;  // SQL_LOGIN_TIMEOUT rather than the DSN key
  };
  const Case cases[] = {
      {"no greeting", {ReadGreeting(), StallMs(2500)}, false},
      {"no login reply", {Greet(), ExpectRequest(), StallMs(2500)}, false},
      {"no login reply, by the option", {Greet(), ExpectRequest(), StallMs(2500)}, true},
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

  LnaColumnDesc* cols = nullptr;
  LnaParamDesc* params = nullptr;
  uint16_t nc = 0, np = 0;
  int32_t rows = 0;
  EXPECT_EQ(LnaExecDirectMP(stmt, "select forever", &cols, &nc, &params, &np, 0, nullptr, 0,
                            nullptr, &rows, 0),
            kLnaFailed);
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

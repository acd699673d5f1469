// The call layer against velsrv over loopback: a login that succeeds and
// the connection-level operations behind it, logins the server refuses (the
// application sees the server's reasons), and a refusal without a
// connection id from a scripted server.
#include <sql.h>

#include <cstring>
#include <string>
#include <vector>

#include "server/listener.h"
#include "server/login_reply.h"
#include "testing/dispatch_harness.h"
#include "testing/lna_call_test_support.h"
#include "testing/lna_refusal_cases.h"
#include "testing/scripted_backend.h"
#include "wire/fetch_shape.h"

namespace lna_call_test {
namespace {

class Velsrv {
 public:
  explicit Velsrv(const velsrv::ScriptedData& data = velsrv::DefaultScriptedData())
      : backend_(data), listener_(velsrv_test::ScriptedConfig(), backend_) {
    std::string error;
    EXPECT_TRUE(listener_.Open(&error)) << error;
    listener_.Start();
  }
  ~Velsrv() { listener_.Stop(); }
  // Ends every session, as a server that goes away does.
  void Stop() { listener_.Stop(); }
  // The driver's login string for "sales", naming this server.
  std::string Login(const std::string& uid, const std::string& pwd,
                    const std::string& server_dsn = "sales") const {
    return "DSN=Sales;ServerName=127.0.0.1." + std::to_string(listener_.port()) +
           ";ServerDSN=" + server_dsn + ";UID=" + uid + ";PWD=" + pwd;
  }

 private:
  velsrv::ScriptedBackend backend_;
  velsrv::Listener listener_;
};

class VelsrvCallTest : public CallLayerTest {};

TEST_F(VelsrvCallTest, LoginThenConnectionAndStatementCallsThenLogout) {
  Velsrv server;
  LnaConnection* conn = NewRecord();
  LoginOuts outs;
  // A buffer size too long to read leaves a diagnostic while the settings
  // are read; it must not outlive the successful login.
  ASSERT_EQ(outs.Login(conn, server.Login("scott", "tiger") +
                                 ";ArrayFetchOn=1;ArrayBufferSize=" + std::string(130, '7')),
            kLnaOk);
  EXPECT_EQ(LnaIsConnected(conn), 1);
  EXPECT_EQ(LnaIsBroken(conn), 0u);
  EXPECT_NE(conn->server_conn, 0);
  EXPECT_EQ(conn->array_fetch, 1u);
  EXPECT_EQ(conn->diag_waiting, 0u);
  EXPECT_GT(outs.type_count, 0);
  EXPECT_NE(outs.info52.values[12] & 16u, 0u);

  char name[64];
  int32_t length = 0;
  uint16_t c_type = 0;
  EXPECT_EQ(LnaGetInfoSP(conn, 16, name, sizeof name, &length, &c_type), kLnaOk);
  EXPECT_EQ(c_type, 1);
  EXPECT_EQ(length, static_cast<int32_t>(std::strlen(name)));
  EXPECT_EQ(LnaTransactSP(conn, 0), kLnaOk);

  LnaStatement* stmt = nullptr;
  ASSERT_EQ(LnaAllocStmtSP(conn, &stmt), kLnaOk);
  EXPECT_NE(stmt->server_stmt, 0);
  EXPECT_EQ(LnaSetCursorNameSP(stmt, "c1"), kLnaOk);
  LnaColumnDesc* cols = nullptr;
  uint16_t n = 0;
  int16_t tables = LnaTablesSP(stmt, nullptr, nullptr, "%", 1, &cols, &n, 0);
  EXPECT_TRUE(tables == kLnaOk || tables == kLnaInfo) << tables;
  EXPECT_GT(n, 0);
  EXPECT_EQ(stmt->column_count, static_cast<int16_t>(n));
  MemFree(cols);
  EXPECT_EQ(LnaFreeStmtSP(stmt, 1), kLnaOk);
  EXPECT_EQ(ArrCount(conn->statements), 0u);

  EXPECT_EQ(LnaDisconnectSP(conn), kLnaOk);
  EXPECT_EQ(LnaIsConnected(conn), 0);
  Free(conn);
}

// The first row block goes with an array execution in the shape the client
// then reads the result in, so that it is taken whole: a text column
// described longer than the long-column buffer still has a buffer of that
// size at the client, and a block that holds it comes with the execution.
TEST_F(VelsrvCallTest, TheFirstBlockComesInTheShapeTheClientReadsIn) {
  struct Case {
    const char* name;
    int32_t length;  // of the text column
    const char* buffer_kb;
  };
  const Case cases[] = {
      {"a short text, 8 KB blocks", 20, "8"},
      {"a text longer than the long-column buffer, 32 KB blocks", 40000, "32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velsrv::ScriptedData data = velsrv::DefaultScriptedData();
    data.numbers = 3;
    velsrv::ColumnInfo text;
    text.name = "N";
    text.sql_type = SQL_VARCHAR;
    text.precision = c.length;
    text.display_size = c.length;
    text.length = c.length;
    data.numbers_column = text;
    Velsrv server(data);
    LnaConnection* conn = NewRecord();
    LoginOuts outs;
    ASSERT_EQ(outs.Login(conn, server.Login("scott", "tiger") +
                                   ";ArrayFetchOn=1;ArrayBufferSize=" + c.buffer_kb),
              kLnaOk);
    LnaStatement* stmt = nullptr;
    ASSERT_EQ(LnaAllocStmtSP(conn, &stmt), kLnaOk);
    LnaColumnDesc* cols = nullptr;
    LnaParamDesc* params = nullptr;
    uint16_t ncols = 0, nparams = 0;
    int32_t row_count = 0;
    ASSERT_EQ(LnaExecDirectMP(stmt, "SELECT numbers", &cols, &ncols, &params, &nparams, 0, nullptr,
                              0, nullptr, &row_count, 0),
              kLnaOk);
    ASSERT_EQ(ncols, 1);
    EXPECT_EQ(stmt->block.count, 3) << "the rows came with the execution";
    FetchColumnForm form =
        SetupFetchColumn(cols[0].sql_type, static_cast<uint32_t>(cols[0].length),
                         static_cast<uint32_t>(cols[0].precision), cols[0].scale);
    std::vector<char> buffer(form.size);
    LnaFetchSlot slot{form.c_type, buffer.data(), static_cast<int32_t>(form.size), 0};
    for (const char* want : {"1", "2", "3"}) {
      ASSERT_EQ(LnaFetchMP(stmt, &slot, 0), kLnaOk);
      EXPECT_EQ(slot.result_length, 1);
      EXPECT_STREQ(buffer.data(), want);
    }
    EXPECT_EQ(LnaFetchMP(stmt, &slot, 0), kLnaNoData);
    MemFree(cols);
    MemFree(params);
    EXPECT_EQ(LnaDisconnectSP(conn), kLnaOk);
  }
}

// A server that goes away breaks the connection at the next call; from
// then on every operation is refused without a request (one would fail with
// a transport diagnostic instead), and the logout closes locally.
TEST_F(VelsrvCallTest, VanishedServerBreaksTheConnection) {
  Velsrv server;
  LnaConnection* conn = NewRecord();
  LoginOuts outs;
  ASSERT_EQ(outs.Login(conn, server.Login("scott", "tiger")), kLnaOk);
  server.Stop();

  EXPECT_EQ(LnaTransactSP(conn, 0), kLnaFailed);
  EXPECT_EQ(LnaIsBroken(conn), 1u);
  LnaDiagRecord d = Diagnostic(conn, nullptr);
  EXPECT_STREQ(d.sqlstate, "08S01");
  EXPECT_EQ(d.native_error, 2046);

  const std::string dead = Prefixed(Text(8124));
  for (const RefusalCase& c : kRefusals) {
    SCOPED_TRACE(c.name);
    LnaStatement* stmt = Stmt(conn);
    EXPECT_EQ(c.op(conn, stmt), kLnaFailed);
    d = Diagnostic(c.on_statement ? nullptr : conn, c.on_statement ? stmt : nullptr);
    EXPECT_STREQ(d.sqlstate, "08S01");
    EXPECT_EQ(d.native_error, c.location);
    EXPECT_EQ(d.text, dead);
  }
  EXPECT_EQ(LnaDisconnectSP(conn), kLnaInfo);
  EXPECT_EQ(LnaIsConnected(conn), 0);
}

TEST_F(VelsrvCallTest, RefusedLoginsShowTheServersReason) {
  struct Case {
    const char* name;
    const char* uid;
    const char* pwd;
    const char* server_dsn;
    const char* sqlstate;
  };
  const Case cases[] = {
      {"wrong password", "scott", "lion", "sales", "28000"},
      {"unknown server DSN", "scott", "tiger", "nowhere", "IM002"},
  };
  Velsrv server;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LnaConnection* conn = NewRecord();
    LoginOuts outs;
    EXPECT_EQ(outs.Login(conn, server.Login(c.uid, c.pwd, c.server_dsn)), kLnaFailed);
    EXPECT_EQ(LnaIsBroken(conn), 0u);

    LnaDiagRecord d[kLnaMaxDiagnostics];
    uint16_t count = 0;
    EXPECT_EQ(LnaGetDiagnostics(conn, nullptr, d, &count), kLnaOk);
    ASSERT_GE(count, 1);
    EXPECT_STREQ(d[0].sqlstate, c.sqlstate);
    Free(conn);  // closes what the failed login left open
  }
}

// A server that refuses without a connection id: its reasons are read
// before the connection is closed, and handed out in place of a bare
// "no longer working".
TEST_F(VelsrvCallTest, RefusalWithoutConnectionIdKeepsTheServersReasons) {
  // The reply carries a completed string as long as the request's text:
  // the login string is padded to a length known before the peer's port.
  constexpr size_t kLoginLength = 80;
  ConnectReply reply;
  reply.text = velsrv::EmptyCompletedText(kLoginLength + 2);
  auto login_reply = [&](MsgBuf* b) { return Encode(b, reply); };
  wire_test::BufPtr buf = wire_test::NewBuf();
  ASSERT_EQ(login_reply(buf.get()), 1);
  Bytes fields = wire_test::Written(buf.get());

  ScriptedPeer peer({Steps({{ExpectRequest(), Reply(ReplyBytes(-20, fields))},
                            Answer(0, DiagFields({18456, 18457})),
                            {ExpectClosed()}})});
  LnaConnection* conn = NewRecord();
  LoginOuts outs;
  std::string login = "DSN=Sales;ServerName=" + peer.address() + ";UID=u;PWD=p";
  login.resize(kLoginLength, 'p');
  EXPECT_EQ(outs.Login(conn, login), kLnaFailed);
  EXPECT_EQ(LnaIsConnected(conn), 0);
  EXPECT_EQ(LnaIsBroken(conn), 1u);

  LnaDiagRecord d[kLnaMaxDiagnostics];
  uint16_t count = 0;
  EXPECT_EQ(LnaGetDiagnostics(conn, nullptr, d, &count), kLnaOk);
  ASSERT_EQ(count, 2) << d[0].sqlstate << " " << d[0].native_error << " " << d[0].text;
  EXPECT_EQ(d[0].native_error, 18456);
  EXPECT_EQ(d[1].native_error, 18457);
  EXPECT_EQ(Procedures(peer), (std::vector<uint32_t>{65, 12}));
  EXPECT_TRUE(peer.AllStepsPassed());

  // Then the broken connection speaks for itself.
  EXPECT_EQ(LnaGetDiagnostics(conn, nullptr, d, &count), kLnaFailed);
  Free(conn);
}

}  // namespace
}  // namespace lna_call_test

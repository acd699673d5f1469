// The server over loopback TCP with the scripted backend: greeting and
// frames, connections without a login, cancel from a second connection,
// untrusted frames, the connection limit, administration and the stop.
#include "server/listener.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "common/memory.h"
#include "driver/lna/user_list.h"
#include "server/dispatch_harness.h"
#include "server/scripted_backend.h"
#include "server/wire_test_client.h"

namespace velsrv_test {
namespace {

class Server {
 public:
  explicit Server(velsrv::ServerConfig config = ScriptedConfig(),
                  velsrv::ScriptedData data = velsrv::DefaultScriptedData())
      : backend_(std::move(data)), listener_(config, backend_) {
    std::string error;
    EXPECT_TRUE(listener_.Open(&error)) << error;
    listener_.Start();
  }
  ~Server() { listener_.Stop(); }

  uint16_t port() { return listener_.port(); }
  velsrv::ScriptedBackend& backend() { return backend_; }
  velsrv::Listener& listener() { return listener_; }

 private:
  velsrv::ScriptedBackend backend_;
  velsrv::Listener listener_;
};

// Logs in on a connected client; returns the login's results.
LoginResult Login(TestClient& c, const std::string& connection_string, int16_t* status) {
  Reply reply;
  LoginResult r;
  *status = 0x7FFF;
  uint32_t n = static_cast<uint32_t>(std::min<size_t>(connection_string.size(), 510) + 2);
  if (c.Call(LoginRequest(connection_string).get(), &reply) && UnpackLogin(reply.buf.get(), n, &r))
    *status = reply.status;
  return r;
}

int32_t AllocStmt(TestClient& c, int32_t connection_id) {
  Reply reply;
  int32_t id = 0;
  auto request = Request(1, [&](MsgBuf* b) { return PutConnection(b, connection_id); });
  if (!c.Call(request.get(), &reply) || reply.status != 0 || !UnpackI32(reply.buf.get(), &id))
    return 0;
  return id;
}

// Asks for SQL_DBMS_NAME: a call that proves the session still answers.
bool Answers(TestClient& c, int32_t connection_id) {
  Reply reply;
  auto request = Request(20, [&](MsgBuf* b) {
    return PutConnection(b, connection_id) && MsgBufPutU16(b, 17) && MsgBufPutI32(b, 64);
  });
  return c.Call(request.get(), &reply) && reply.status == 0;
}

// Polls, a bounded number of times, until `done` holds.
template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

TEST(ListenerTest, ListsWithoutALoginThenALogin) {
  Server server;
  TestClient lists;
  ASSERT_TRUE(lists.Connect(server.port()));
  Reply reply;
  auto servers = Request(47, [](MsgBuf* b) {
    return MsgBufPutString(b, "ClntHostName=pc7;ClntUserName=ann;ClntIP=127.0.0.1;") &&
           MsgBufPutI32(b, 2048);
  });
  ASSERT_TRUE(lists.Call(servers.get(), &reply));
  EXPECT_EQ(reply.status, 0);
  char* text = nullptr;
  ASSERT_TRUE(MsgBufGetString(reply.buf.get(), &text) && MsgBufAllRead(reply.buf.get()));
  EXPECT_EQ(std::string(text), "Server=127.0.0.1;Port=" + std::to_string(server.port()) + ";");
  MemFree(text);
  auto sources =
      Request(48, [](MsgBuf* b) { return MsgBufPutString(b, "") && MsgBufPutI32(b, 4096); });
  ASSERT_TRUE(lists.Call(sources.get(), &reply));
  EXPECT_EQ(reply.status, 0);
  int32_t n = 0;
  ASSERT_TRUE(MsgBufGetI32(reply.buf.get(), &n));
  EXPECT_EQ(n, 40);

  TestClient user;
  ASSERT_TRUE(user.Connect(server.port()));
  int16_t status;
  LoginResult r = Login(user, SalesLogin(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Answers(user, r.connection_id));
}

TEST(ListenerTest, CancelFromASecondConnectionEndsTheOutstandingCall) {
  velsrv::ScriptedData data = velsrv::DefaultScriptedData();
  data.block_catalog = true;
  Server server(ScriptedConfig(), data);
  TestClient a;
  ASSERT_TRUE(a.Connect(server.port()));
  int16_t status;
  LoginResult login = Login(a, SalesLogin(), &status);
  ASSERT_EQ(status, 0);
  int32_t stmt = AllocStmt(a, login.connection_id);
  ASSERT_NE(stmt, 0);

  auto outstanding = std::async(std::launch::async, [&] {
    Reply reply;
    bool ok = a.Call(CatalogRequest(56, stmt, "orders").get(), &reply);
    std::vector<LnaColumnDesc> cols;
    return ok && UnpackColumns(reply.buf.get(), &cols) ? reply.status : int16_t{0x7FFF};
  });
  ASSERT_TRUE(server.backend().WaitForBlockedCall());

  TestClient b;
  ASSERT_TRUE(b.Connect(server.port()));
  Reply reply;
  // A key nobody holds first.
  uint16_t wrong = static_cast<uint16_t>(login.cancel_key + 1);
  if (wrong == 0) wrong = 1;
  ASSERT_TRUE(b.Call(Request(3, [&](MsgBuf* m) { return MsgBufPutU16(m, wrong); }).get(), &reply));
  EXPECT_EQ(reply.status, -20);
  ASSERT_TRUE(b.Call(Request(3, [&](MsgBuf* m) { return MsgBufPutU16(m, login.cancel_key); }).get(),
                     &reply));
  EXPECT_EQ(reply.status, 0);
  EXPECT_TRUE(UnpackNothing(reply.buf.get()));

  EXPECT_EQ(outstanding.get(), -20);
  auto errors = Request(12, [&](MsgBuf* m) { return MsgBufPutI32(m, 0) && MsgBufPutI32(m, stmt); });
  ASSERT_TRUE(a.Call(errors.get(), &reply));
  std::vector<LnaDiagRecord> diags;
  ASSERT_TRUE(UnpackErrors(reply.buf.get(), &diags));
  ASSERT_EQ(diags.size(), 1u);
  EXPECT_STREQ(diags[0].sqlstate, "S1008");
  EXPECT_TRUE(Answers(a, login.connection_id));
}

std::vector<uint8_t> FrameBytes(uint32_t magic, uint32_t frame_length, uint32_t payload_length,
                                const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> out;
  auto put = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
  };
  put(magic);
  put(frame_length);
  put(0);
  put(payload_length);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// A request message of procedure `procedure` with `extra` bytes of body.
std::vector<uint8_t> Message(uint32_t procedure, uint32_t length_slot, size_t extra = 0) {
  std::vector<uint8_t> m;
  auto put32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) m.push_back(static_cast<uint8_t>(v >> shift));
  };
  put32(length_slot);
  put32(procedure);
  m.insert(m.end(), {0, 1, 0, 1, 0, 1});
  m.insert(m.end(), extra, 0);
  return m;
}

TEST(ListenerTest, UntrustedFramesCloseOnlyTheirConnection) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.max_request_bytes = 4096;
  Server server(config);
  TestClient user;
  ASSERT_TRUE(user.Connect(server.port()));
  int16_t status;
  LoginResult login = Login(user, SalesLogin(), &status);
  ASSERT_EQ(status, 0);

  std::vector<uint8_t> ok14 = Message(47, 14);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"bad magic", FrameBytes(0x12345678, 30, 14, ok14)},
      {"magic in the other byte order", FrameBytes(0x1A5DB227, 30, 14, ok14)},
      {"payload beyond the cap", FrameBytes(0x27B25D1A, 8000 + 16, 8000, Message(47, 8000, 7986))},
      {"payload of the length slot only", FrameBytes(0x27B25D1A, 20, 4, {0, 0, 0, 4})},
      {"frame length disagrees", FrameBytes(0x27B25D1A, 31, 14, ok14)},
      {"length slot disagrees", FrameBytes(0x27B25D1A, 30, 14, Message(47, 15))},
      {"unknown procedure", FrameBytes(0x27B25D1A, 30, 14, Message(99, 14))},
      {"short header", FrameBytes(0x27B25D1A, 26, 10, {0, 0, 0, 10, 0, 0, 0, 47, 0, 1})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestClient bad;
    ASSERT_TRUE(bad.Connect(server.port()));
    ASSERT_TRUE(bad.SendBytes(c.bytes));
    EXPECT_TRUE(bad.ServerClosed());
    EXPECT_TRUE(Answers(user, login.connection_id));
  }
  // A greeting cut short, then the client gone.
  TestClient gone;
  ASSERT_TRUE(gone.ConnectRaw(server.port()));
  ASSERT_TRUE(gone.SendBytes(std::vector<uint8_t>(100, 0)));
  gone.Close();
  EXPECT_TRUE(Answers(user, login.connection_id));
}

TEST(ListenerTest, ConnectionsBeyondTheMaximumAreRefused) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.max_connections = 1;
  Server server(config);
  TestClient first;
  ASSERT_TRUE(first.Connect(server.port()));
  TestClient second;
  ASSERT_TRUE(second.ConnectRaw(server.port()));
  EXPECT_TRUE(second.ServerClosed());
  first.Close();
  // Once the first session has ended, a new one is served.
  TestClient third;
  EXPECT_TRUE(Eventually([&] { return third.Connect(server.port()); }));
}

TEST(ListenerTest, AdministrationListsEndsAndStops) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.admin = velsrv::AdminAccess::kLoopback;
  Server server(config);
  TestClient user;
  ASSERT_TRUE(user.Connect(server.port()));
  int16_t status;
  LoginResult login = Login(user, SalesLogin(), &status);
  ASSERT_EQ(status, 0);

  TestClient admin;
  ASSERT_TRUE(admin.Connect(server.port()));
  Reply reply;
  ASSERT_TRUE(admin.Call(Request(11, nullptr).get(), &reply));
  ASSERT_EQ(reply.status, 0);
  void* array = nullptr;
  uint32_t n = 0;
  ASSERT_TRUE(MsgBufGetArray(reply.buf.get(), &array, MsgBufGetElem<XdrUserList>,
                             sizeof(LnaUserList), &n, MsgBufRelease<XdrFreeUserList>));
  ASSERT_EQ(n, 1u);
  auto* list = static_cast<LnaUserList*>(array);
  ASSERT_EQ(list->count, 1);
  EXPECT_EQ(list->users[0].number[0], login.connection_id);
  MsgBufFreeArray(array, sizeof(LnaUserList), MsgBufRelease<XdrFreeUserList>);

  // End the user's connection by its id.
  auto kill = Request(51, [&](MsgBuf* b) {
    return MsgBufPutI32(b, 1) && MsgBufPutU16(b, 1) && MsgBufPutI32(b, 1) &&
           MsgBufPutI32(b, login.connection_id) && MsgBufPutI32(b, 0);
  });
  ASSERT_TRUE(admin.Call(kill.get(), &reply));
  EXPECT_EQ(reply.status, 0);
  EXPECT_TRUE(UnpackNothing(reply.buf.get()));
  EXPECT_TRUE(user.ServerClosed());
  EXPECT_TRUE(Eventually([&] { return server.backend().Log().open_connections == 0; }));
  // Two lists in the request: refused.
  auto two = Request(51, [&](MsgBuf* b) {
    return MsgBufPutI32(b, 2) && MsgBufPutU16(b, 0) && MsgBufPutI32(b, -1) && MsgBufPutU16(b, 0) &&
           MsgBufPutI32(b, -1);
  });
  ASSERT_TRUE(admin.Call(two.get(), &reply));
  EXPECT_EQ(reply.status, -20);

  // Shut down: the reply comes, then the server stops listening.
  ASSERT_TRUE(admin.Call(Request(36, [](MsgBuf* b) { return MsgBufPutU16(b, 1); }).get(), &reply));
  EXPECT_EQ(reply.status, 0);
  EXPECT_TRUE(admin.ServerClosed());
  TestClient late;
  EXPECT_TRUE(Eventually([&] { return !late.Connect(server.port()); }));
}

TEST(ListenerTest, StopEndsEverySessionAndRollsBack) {
  auto server = std::make_unique<Server>();
  TestClient user;
  ASSERT_TRUE(user.Connect(server->port()));
  int16_t status;
  Login(user, SalesLogin(), &status);
  ASSERT_EQ(status, 0);
  server->listener().Stop();
  EXPECT_TRUE(user.ServerClosed());
  velsrv::ScriptedLog log = server->backend().Log();
  EXPECT_EQ(log.open_connections, 0);
  EXPECT_EQ(log.rollbacks, 1);
}

}  // namespace
}  // namespace velsrv_test

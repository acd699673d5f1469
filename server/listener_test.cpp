// The server over loopback TCP with the scripted backend: greeting and
// frames, connections without a login, cancel from a second connection,
// untrusted frames, the connection limit, administration and the stop.
#include "server/listener.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "common/memory.h"
#include "server/log.h"
#include "server/server_context.h"
#include "server/users.h"
#include "testing/dispatch_harness.h"
#include "testing/log_capture.h"
#include "testing/scripted_backend.h"
#include "testing/temp_dir.h"
#include "testing/wire_test_client.h"
#include "wire/user_list.h"

namespace velsrv_test {
namespace {

using ::testing::HasSubstr;

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

std::vector<LnaDiagRecord> Errors(TestClient& c, int32_t connection_id, int32_t statement_id) {
  Reply reply;
  std::vector<LnaDiagRecord> out;
  auto request = Request(12, [&](MsgBuf* b) {
    return MsgBufPutI32(b, connection_id) && MsgBufPutI32(b, statement_id);
  });
  if (c.Call(request.get(), &reply)) UnpackErrors(reply.buf.get(), &out);
  return out;
}

// A login to the data source "guarded" of the test below.
std::string GuardedLogin(const std::string& uid, const std::string& pwd) {
  return "DSN=G;ServerName=127.0.0.1.1583;ServerDSN=guarded;UID=" + uid + ";PWD=" + pwd +
         ";ClntHostName=pc7;ClntIP=10.0.0.7;ClntUserName=ann;ExecDesc=app;";
}

MsgBufPtr CancelRequest(uint16_t key) {
  return Request(3, [&](MsgBuf* m) { return MsgBufPutU16(m, key); });
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

  Reply reply;
  // A key nobody holds first: refused, and that connection is ended. (From
  // another address: its own would now be taking turns.)
  TestClient b;
  ASSERT_TRUE(b.Connect(server.port(), "127.0.0.1", "127.0.0.2"));
  uint16_t wrong = static_cast<uint16_t>(login.cancel_key + 1);
  if (wrong == 0) wrong = 1;
  ASSERT_TRUE(b.Call(CancelRequest(wrong).get(), &reply));
  EXPECT_EQ(reply.status, -20);
  EXPECT_TRUE(b.ServerClosed());
  TestClient c;
  ASSERT_TRUE(c.Connect(server.port()));
  ASSERT_TRUE(c.Call(CancelRequest(login.cancel_key).get(), &reply));
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

// Connects from `from` and logs in where the server refuses the
// connection: the login fails without a connection id, and the reason is
// the diagnostic procedure 12 hands out for none, as the client asks for
// it; then the server closes. "SQLSTATE text", or what went wrong instead.
std::string RefusalOf(TestClient& c, uint16_t port, const std::string& from = "") {
  if (!c.Connect(port, "127.0.0.1", from)) return "no greeting";
  int16_t status;
  LoginResult login = Login(c, SalesLogin(), &status);
  if (status != -20 || login.connection_id != 0) return "login status " + std::to_string(status);
  std::vector<LnaDiagRecord> diags = Errors(c, 0, 0);
  if (diags.size() != 1) return std::to_string(diags.size()) + " diagnostics";
  if (!c.ServerClosed()) return "left open";
  return std::string(diags[0].sqlstate) + " " + diags[0].text;
}

TEST(ListenerTest, ConnectionsThatDoNotLogInHoldNoOnesPlace) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.login_timeout_seconds = 1;
  config.max_unauthenticated_per_address = 4;
  config.max_connections = 8;
  LogCapture log;
  Server server(config);
  TestClient user;
  ASSERT_TRUE(user.Connect(server.port()));
  int16_t status;
  LoginResult login = Login(user, SalesLogin(), &status);
  ASSERT_EQ(status, 0);

  // Sockets that greet and then say nothing, as many as one address may
  // hold; the next from there is told why it is refused.
  auto start = std::chrono::steady_clock::now();
  std::vector<std::unique_ptr<TestClient>> silent;
  for (int i = 0; i < 4; ++i) {
    silent.push_back(std::make_unique<TestClient>());
    ASSERT_TRUE(silent.back()->Connect(server.port(), "127.0.0.1", "127.0.0.5"));
  }
  TestClient more;
  EXPECT_EQ(RefusalOf(more, server.port(), "127.0.0.5"),
            "08004 [velsrv]The server refused the connection: too many connections from this "
            "address that have not logged in (4); try again later.");
  // The logged-in user and a login from elsewhere keep being served.
  EXPECT_TRUE(Answers(user, login.connection_id));
  TestClient elsewhere;
  ASSERT_TRUE(elsewhere.Connect(server.port(), "127.0.0.1", "127.0.0.6"));
  Login(elsewhere, SalesLogin(), &status);
  EXPECT_EQ(status, 0);

  // The silent ones are closed at the login timeout, and the address may
  // connect again.
  for (auto& c : silent) EXPECT_TRUE(c->ServerClosed());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(log.Count("connection from 127.0.0.5 closed: no login within the login timeout"), 4);
  TestClient again;
  ASSERT_TRUE(again.Connect(server.port(), "127.0.0.1", "127.0.0.5"));
  Login(again, SalesLogin(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Answers(user, login.connection_id));
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
  config.login_timeout_seconds = 1;  // also the most a refusal waits to be heard
  Server server(config);
  TestClient first;
  ASSERT_TRUE(first.Connect(server.port()));
  TestClient second;
  EXPECT_THAT(RefusalOf(second, server.port()), HasSubstr("too many connections (1)"));
  TestClient silent;
  ASSERT_TRUE(silent.ConnectRaw(server.port()));
  EXPECT_TRUE(silent.ServerClosed());
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

TEST(ListenerTest, CancelKeysCountOnlyFromTheSessionsAddressAndGuessesAreSlowedAndLogged) {
  velsrv::ScriptedData data = velsrv::DefaultScriptedData();
  data.block_catalog = true;
  LogCapture log;
  velsrv::ServerConfig config = ScriptedConfig();
  // Every guesser at once gets a connection: the back-off, not the limit
  // of connections per address, is what is shown.
  config.max_unauthenticated_per_address = 64;
  Server server(config, data);
  TestClient a;
  ASSERT_TRUE(a.Connect(server.port()));
  int16_t status;
  LoginResult login = Login(a, SalesLogin(), &status);
  ASSERT_EQ(status, 0);
  int32_t stmt = AllocStmt(a, login.connection_id);
  auto outstanding = std::async(std::launch::async, [&] {
    Reply reply;
    return a.Call(CatalogRequest(56, stmt, "orders").get(), &reply) ? reply.status : 0x7FFF;
  });
  ASSERT_TRUE(server.backend().WaitForBlockedCall());

  // The right key from another address: refused like a wrong one.
  Reply reply;
  TestClient elsewhere;
  ASSERT_TRUE(elsewhere.Connect(server.port(), "127.0.0.1", "127.0.0.2"));
  ASSERT_TRUE(elsewhere.Call(CancelRequest(login.cancel_key).get(), &reply));
  EXPECT_EQ(reply.status, -20);
  EXPECT_TRUE(elsewhere.ServerClosed());
  EXPECT_EQ(server.backend().Log().cancels, 0);
  EXPECT_EQ(log.Count("bad cancel key from 127.0.0.2 (the key of a session from elsewhere)"), 1);

  // A scan from a third address, 32 guesses at once on connections of
  // their own: the first is checked and fails, and those that come before
  // the address's next turn are refused at once rather than queued (queued,
  // they took a second each, and each held its thread and connection
  // after its client had gone).
  constexpr int kGuessers = 32;
  auto start = std::chrono::steady_clock::now();
  std::vector<std::future<bool>> guesses;
  for (int i = 0; i < kGuessers; ++i) {
    guesses.push_back(std::async(std::launch::async, [&, i] {
      TestClient scanner;
      Reply r;
      uint16_t key = static_cast<uint16_t>(i + 1 == login.cancel_key ? 40000 : i + 1);
      return scanner.Connect(server.port(), "127.0.0.1", "127.0.0.3") &&
             scanner.Call(CancelRequest(key).get(), &r) && r.status == -20 &&
             scanner.ServerClosed();
    }));
  }
  for (auto& g : guesses) EXPECT_TRUE(g.get());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(kGuessers / 2));
  int checked = log.Count("bad cancel key from 127.0.0.3; connection closed");
  EXPECT_GE(checked, 1);
  EXPECT_EQ(checked + log.Count("cancel from 127.0.0.3 refused at once"), kGuessers);
  EXPECT_EQ(server.backend().Log().cancels, 0);

  // A guess from the owner's own address puts it in its back-off too: the
  // owner's right key is answered at once, refused while the turn is not
  // yet there, and taken once it is.
  TestClient guesser;
  ASSERT_TRUE(guesser.Connect(server.port()));
  ASSERT_TRUE(guesser.Call(CancelRequest(login.cancel_key == 1 ? 2 : 1).get(), &reply));
  EXPECT_EQ(reply.status, -20);
  bool cancelled = false;
  for (int i = 0; i < 50 && !cancelled; ++i) {
    TestClient own;
    ASSERT_TRUE(own.Connect(server.port()));
    auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(own.Call(CancelRequest(login.cancel_key).get(), &reply));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
    cancelled = reply.status == 0;
    if (!cancelled) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(outstanding.get(), -20);
  EXPECT_EQ(log.Count("cancel from 127.0.0.1 for connection"), 1);
}

TEST(ListenerTest, PasswordGuessesTakeTurnsPerAddressAndOthersLogIn) {
  TempDir dir;
  std::string hash, error;
  ASSERT_TRUE(velsrv::HashPassword("s3cret", &hash, &error)) << error;
  velsrv::ServerConfig config = ScriptedConfig();
  config.dsns.push_back({"guarded", "a users list", "DSN=scripted",
                         dir.Write("users", "ann:" + hash), velsrv::LoginCheck::kUsers});
  config.max_unauthenticated_per_address = 64;
  config.max_password_checks = 2;
  velsrv::ScriptedData data = velsrv::DefaultScriptedData();
  data.passwords.clear();  // the list decides
  LogCapture log;
  Server server(config, data);
  auto login = [&](const std::string& from, const std::string& pwd, std::string* sqlstate) {
    TestClient c;
    int16_t status = 0x7FFF;
    if (!c.Connect(server.port(), "127.0.0.1", from)) return status;
    LoginResult r = Login(c, GuardedLogin("ann", pwd), &status);
    std::vector<LnaDiagRecord> diags = Errors(c, r.connection_id, 0);
    *sqlstate = diags.empty() ? "" : diags[0].sqlstate;
    return status;
  };

  // Twenty guesses at once from one address: as many are checked as there
  // are places for checks, and the rest are refused without a hash once
  // the first failure is in, as they come before the address's turn.
  constexpr int kGuesses = 20;
  auto start = std::chrono::steady_clock::now();
  std::vector<std::future<std::string>> guesses;
  for (int i = 0; i < kGuesses; ++i) {
    guesses.push_back(std::async(std::launch::async, [&, i] {
      std::string sqlstate;
      int16_t status = login("127.0.0.7", "guess" + std::to_string(i), &sqlstate);
      return std::to_string(status) + " " + sqlstate;
    }));
  }
  int wrong = 0, backed_off = 0;
  for (auto& g : guesses) {
    std::string outcome = g.get();
    wrong += outcome == "-20 28000" ? 1 : 0;
    backed_off += outcome == "-20 08004" ? 1 : 0;
  }
  auto elapsed =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(wrong + backed_off, kGuesses);
  EXPECT_EQ(log.Count("\"guarded\": unknown user or wrong password"), wrong);
  // The tolerated mistakes and two at once at first, then one checked
  // guess a second at most.
  EXPECT_GE(wrong, 1);
  EXPECT_LE(wrong, velsrv::ServerContext::kLoginFailuresTolerated + config.max_password_checks +
                       elapsed.count() + 1);
  EXPECT_GE(backed_off, kGuesses / 2);

  // Another address logs in at once; the guessing one with the right
  // password once its turn has come.
  std::string sqlstate;
  EXPECT_EQ(login("127.0.0.8", "s3cret", &sqlstate), 0);
  int16_t status = -20;
  for (int i = 0; i < 50 && status != 0; ++i) {
    status = login("127.0.0.7", "s3cret", &sqlstate);
    if (status != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(status, 0);
}

// Where the backend judges the password, a refused login puts the address
// in its back-off as a wrong password of the users list does.
TEST(ListenerTest, BackendRefusalsTakeTurnsPerAddress) {
  LogCapture log;
  Server server;
  auto login = [&](const std::string& from, const std::string& pwd) {
    TestClient c;
    if (!c.Connect(server.port(), "127.0.0.1", from)) return std::string("no connection");
    int16_t status = 0;
    LoginResult r = Login(c, SalesLogin("scott", pwd), &status);
    std::vector<LnaDiagRecord> diags = Errors(c, r.connection_id, 0);
    return std::to_string(status) + " " + (diags.empty() ? "" : diags[0].sqlstate);
  };
  // A mistyped password or two, and the right one is taken at once.
  EXPECT_EQ(login("127.0.0.9", "guess"), "-20 28000");
  EXPECT_EQ(login("127.0.0.9", "tigre"), "-20 28000");
  EXPECT_EQ(login("127.0.0.9", "tiger"), "0 ");
  // One more: before its turn the right password is refused at once,
  // without asking the backend; from elsewhere it is taken.
  EXPECT_EQ(login("127.0.0.9", "guess"), "-20 28000");
  EXPECT_EQ(login("127.0.0.9", "tiger"), "-20 08004");
  EXPECT_EQ(login("127.0.0.10", "tiger"), "0 ");
  EXPECT_EQ(log.Count("the backend refused"), 3);
  bool in = false;
  for (int i = 0; i < 50 && !in; ++i) {
    in = login("127.0.0.9", "tiger") == "0 ";
    if (!in) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(in);
}

TEST(ListenerTest, ADrippingClientIsCutOffAtTheRequestTimeout) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.request_timeout_seconds = 1;
  LogCapture log;
  Server server(config);
  struct Case {
    const char* what;
    bool greet_first;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"greeting", false, std::vector<uint8_t>(255, 7)},
      {"frame", true, FrameBytes(0x27B25D1A, 30, 14, Message(47, 14))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestClient drip;
    ASSERT_TRUE(c.greet_first ? drip.Connect(server.port()) : drip.ConnectRaw(server.port()));
    // A byte every 100 ms: the whole would take longer than the time-out
    // allows, though no single gap comes near it.
    std::atomic<bool> cut{false};
    std::thread dripper([&] {
      for (size_t i = 0; i + 1 < c.bytes.size() && !cut; ++i) {
        if (!drip.SendBytes({c.bytes[i]})) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    });
    EXPECT_TRUE(drip.ServerClosed());
    cut = true;
    dripper.join();
    EXPECT_EQ(
        log.Count(std::string("closed: ") + c.what + " not finished within the request timeout"),
        1);
  }
  EXPECT_EQ(log.Count("connection from 127.0.0.1"), 4);  // two accepted, two closed
}

TEST(ListenerTest, ListensOnLocalhostAndOnIpv6Loopback) {
  struct Case {
    const char* listen;
    const char* connect_to;
  } cases[] = {{"localhost", "127.0.0.1"}, {"::1", "::1"}, {"::", "127.0.0.1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listen);
    velsrv::ServerConfig config = ScriptedConfig();
    config.listen_address = c.listen;
    LogCapture log;
    velsrv::ScriptedBackend backend;
    velsrv::Listener listener(config, backend);
    std::string error;
    if (!listener.Open(&error)) {
      // A machine without IPv6 on loopback cannot take the IPv6 cases.
      if (std::string(c.connect_to) == "::1" || std::string(c.listen) == "::") continue;
      FAIL() << error;
    }
    listener.Start();
    TestClient user;
    ASSERT_TRUE(user.Connect(listener.port(), c.connect_to));
    int16_t status;
    Login(user, SalesLogin(), &status);
    EXPECT_EQ(status, 0);
    // Loopback either way, so that "admin = loopback" holds for it too.
    EXPECT_EQ(log.Count(std::string("login from ") + c.connect_to + ": user \"scott\""), 1);
    listener.Stop();
  }
}

TEST(ListenerTest, AReloadRunsBesideTheAcceptsAndRequestsMeanwhileAreNotLost) {
  velsrv::ScriptedBackend backend;
  velsrv::Listener listener(ScriptedConfig(), backend);
  std::string error;
  ASSERT_TRUE(listener.Open(&error)) << error;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> runs{0};
  listener.set_reload_handler([&] {
    ++runs;
    released.wait();
  });
  listener.Start();
  listener.RequestReload();
  ASSERT_TRUE(Eventually([&] { return runs == 1; }));
  // However long the reload takes, connections are taken and served.
  for (int i = 0; i < 3; ++i) {
    TestClient user;
    ASSERT_TRUE(user.Connect(listener.port()));
    int16_t status;
    LoginResult login = Login(user, SalesLogin(), &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Answers(user, login.connection_id));
    listener.RequestReload();
  }
  release.set_value();
  // Those asked for while it ran make one run more, or a few when they came
  // apart.
  ASSERT_TRUE(Eventually([&] { return runs >= 2; }));
  listener.Stop();
  EXPECT_LE(runs, 4);
}

TEST(ListenerTest, TooManyConnectionsAndTheStopAreLogged) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.max_connections = 1;
  LogCapture log;
  {
    Server server(config);
    TestClient first;
    ASSERT_TRUE(first.Connect(server.port()));
    TestClient second;
    EXPECT_THAT(RefusalOf(second, server.port()), HasSubstr("too many connections"));
    server.listener().Stop();  // while the first is still connected
  }
  EXPECT_EQ(log.Count("warning: connection from 127.0.0.1 refused: too many connections (1)"), 1);
  EXPECT_EQ(log.Count("info: stopping: ending 1 connection(s)"), 1);
}

TEST(ListenerTest, TheEndOfAConnectionIsLoggedAndTheStopCountsOnlyOpenOnes) {
  LogCapture log;
  int32_t id = 0;
  {
    Server server;
    TestClient open;
    ASSERT_TRUE(open.Connect(server.port()));
    {
      // Accepted after the last accept, so that nothing has reaped it.
      TestClient gone;
      ASSERT_TRUE(gone.Connect(server.port()));
      int16_t status;
      id = Login(gone, SalesLogin(), &status).connection_id;
      ASSERT_EQ(status, 0);
    }
    std::string ended = "info: connection " + std::to_string(id) + " from 127.0.0.1 ended after ";
    ASSERT_TRUE(Eventually([&] { return log.Has(ended); }));
    server.listener().Stop();  // while `open` is still connected
  }
  EXPECT_EQ(log.Count("info: stopping: ending 1 connection(s)"), 1);
  EXPECT_EQ(log.Count("info: connection without a login from 127.0.0.1 ended after "), 1);
}

}  // namespace
}  // namespace velsrv_test

// The server's bounds in front of real backends (SQLite, and psqlODBC
// against a server that never answers): what one client can make the
// server hold, and what one backend connect that hangs can hold up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "server/backend_driver.h"
#include "server/listener.h"
#include "server/odbc_backend.h"
#include "testing/private_postgres.h"
#include "testing/sqlite_odbc_files.h"
#include "testing/wire_test_client.h"
#include "wire/calls.h"
#include "wire/statement_calls.h"

// psqlODBC keeps a few bytes of a connect that ran out of time (its own
// leak, not the server's): the leak check passes over that library.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:psqlodbcw.so\n";
}

namespace velsrv_test {
namespace {

using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;

const auto* const kOdbcFiles = AddSqliteOdbcFiles();

constexpr uint64_t kConnectionBound = 1u << 20;
constexpr uint64_t kServerBound = 3u << 19;  // a connection and a half
constexpr size_t kPiece = 256u << 10;

class BoundedServer {
 public:
  BoundedServer() : listener_(Config(), backend_) {
    EXPECT_TRUE(backend_.ok());
    std::string error;
    EXPECT_TRUE(listener_.Open(&error)) << error;
    listener_.Start();
  }
  ~BoundedServer() { listener_.Stop(); }
  uint16_t port() { return listener_.port(); }
  uint64_t held() { return listener_.context().memory().held(); }

 private:
  static velsrv::ServerConfig Config() {
    velsrv::ServerConfig c;
    c.port = 0;
    c.dsns = {{"sqlite", "SQLite test database", "DSN=velsrv_sqlite"}};
    c.max_connection_memory = kConnectionBound;
    c.max_server_memory = kServerBound;
    return c;
  }
  velsrv::OdbcBackend backend_;
  velsrv::Listener listener_;
};

// A logged-in client with statements of its own.
class Client {
 public:
  explicit Client(uint16_t port) {
    int16_t status = 0x7FFF;
    if (c_.Connect(port))
      connection_ = Login(c_,
                          "DSN=Local;ServerName=127.0.0.1.1583;ServerDSN=sqlite;ClntHostName=pc7;"
                          "ClntIP=127.0.0.1;ClntUserName=ann;ExecDesc=tests;",
                          &status)
                        .connection_id;
    if (status != 0 && status != 1) connection_ = 0;
  }
  bool ok() const { return connection_ != 0; }
  void Close() { c_.Close(); }

  int32_t AllocStmt() {
    Reply reply;
    int32_t id = 0;
    auto request = Request(1, [&](MsgBuf* b) { return PutConnection(b, connection_); });
    return c_.Call(request.get(), &reply) && UnpackI32(reply.buf.get(), &id) ? id : 0;
  }
  // Direct execution with the values `in` and those to come back, `out`.
  int16_t Exec(int32_t stmt, const std::string& sql, std::vector<LnaDescriptor> in = {},
               std::vector<LnaDescriptor> out = {}) {
    ExecDirectRequest r;
    r.statement = stmt;
    r.sql = sql;
    r.params = {static_cast<uint16_t>(in.size()), in.data()};
    r.bound_columns = {static_cast<uint16_t>(out.size()), out.data()};
    return Run(13, [&](MsgBuf* b) { return Encode(b, r); });
  }
  // The next row block of a one-column result, its value asked for in
  // `length` bytes of text.
  int16_t FetchBlock(int32_t stmt, int32_t length) {
    LnaFetchRequest column{kCTypeChar, length, 0};
    FetchRequest r;
    r.statement = stmt;
    r.count = 1;
    r.columns = &column;
    return Run(kRpcFetchBlock, [&](MsgBuf* b) { return Encode(b, r); });
  }
  int16_t ParamData(int32_t stmt) {
    return Run(24, [&](MsgBuf* b) { return Encode(b, ParamDataRequest{stmt}); });
  }
  int16_t PutPiece(int32_t stmt, std::string& bytes) {
    PutLongDataRequest r;
    r.statement = stmt;
    r.value.c_type = kCTypeChar;
    r.value.length = static_cast<int32_t>(bytes.size());
    r.value.value.text = bytes.data();
    return Run(32, [&](MsgBuf* b) { return Encode(b, r); });
  }
  // "SQLSTATE text" of the statement's first diagnostic.
  std::string Diagnostic(int32_t stmt) {
    Reply reply;
    std::vector<LnaDiagRecord> diags;
    auto request =
        Request(12, [&](MsgBuf* b) { return MsgBufPutI32(b, 0) && MsgBufPutI32(b, stmt); });
    if (!c_.Call(request.get(), &reply) || !UnpackErrors(reply.buf.get(), &diags) || diags.empty())
      return "";
    return std::string(diags[0].sqlstate) + " " + diags[0].text;
  }

  // Opens a data-at-execution value on a new statement and sends pieces
  // until one is refused or `pieces` went; the refused statement, or 0.
  int32_t GatherUntilRefused(int pieces) {
    int32_t stmt = AllocStmt();
    if (stmt == 0 || Exec(stmt, "INSERT INTO held VALUES (?)", {AtExec(1)}) != -15 ||
        ParamData(stmt) != -15)
      return -1;
    std::string piece(kPiece, 'x');
    for (int i = 0; i < pieces; ++i) {
      if (PutPiece(stmt, piece) != 0) return stmt;
    }
    return 0;
  }

  static LnaDescriptor AtExec(uint16_t number) {
    LnaDescriptor d{};
    d.number = number;
    d.param_type = 1;
    d.sql_type = -1;  // SQL_LONGVARCHAR
    d.precision = 1 << 30;
    d.value.c_type = kCTypeChar;
    d.value.length = -2;  // SQL_DATA_AT_EXEC
    return d;
  }

 private:
  int16_t Run(uint32_t procedure, const std::function<int(MsgBuf*)>& body) {
    Reply reply;
    auto request = Request(procedure, body);
    return c_.Call(request.get(), &reply) ? reply.status : int16_t{0x7FFF};
  }
  TestClient c_;
  int32_t connection_ = 0;
};

template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 500 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

TEST(HeldMemoryTest, EveryWayToMakeTheServerHoldStopsAtTheBoundsAndOthersAreServed) {
  BoundedServer server;
  Client bystander(server.port());
  ASSERT_TRUE(bystander.ok());
  int32_t own = bystander.AllocStmt();
  ASSERT_EQ(bystander.Exec(own, "CREATE TABLE IF NOT EXISTS held (v TEXT)"), 0);

  // What one connection tries: it is refused at its own bound.
  std::string big(kConnectionBound + kPiece, 'v');
  struct Attack {
    const char* what;
    std::function<int32_t(Client&)> run;  // the refused statement, 0 when none was
  } attacks[] = {
      {"data at execution on eight statements",
       [](Client& c) {
         for (int s = 0; s < 8; ++s) {
           if (int32_t refused = c.GatherUntilRefused(64)) return refused;
         }
         return 0;
       }},
      {"one value in the request",
       [&](Client& c) {
         int32_t stmt = c.AllocStmt();
         LnaDescriptor d{};
         d.number = 1;
         d.param_type = 1;
         d.sql_type = -1;
         d.precision = 1 << 30;
         d.value.c_type = kCTypeChar;
         d.value.length = static_cast<int32_t>(big.size());
         d.value.value.text = big.data();
         return c.Exec(stmt, "INSERT INTO held VALUES (?)", {d}) == -20 ? stmt : 0;
       }},
      {"long result values on eight statements",
       [](Client& c) {
         // Each value is longer than any block: the server holds it whole
         // until the client has read its rest.
         for (int s = 0; s < 8; ++s) {
           int32_t stmt = c.AllocStmt();
           if (c.Exec(stmt, "SELECT hex(zeroblob(200000))") != 0) return -1;
           int16_t status = c.FetchBlock(stmt, 255);
           if (status == -20) return stmt;
           if (status != 0) return -1;
         }
         return 0;
       }},
      {"room for values to come back",
       [](Client& c) {
         int32_t stmt = c.AllocStmt();
         std::vector<LnaDescriptor> out(64);
         for (uint16_t i = 0; i < out.size(); ++i) {
           out[i] = LnaDescriptor{};
           out[i].number = static_cast<uint16_t>(i + 1);
           out[i].param_type = 4;  // SQL_PARAM_OUTPUT
           out[i].sql_type = 12;
           out[i].buffer_size = 1 << 20;
           out[i].value.c_type = kCTypeChar;
         }
         return c.Exec(stmt, "SELECT 1", {}, out) == -20 ? stmt : 0;
       }},
  };
  for (const Attack& a : attacks) {
    SCOPED_TRACE(a.what);
    Client attacker(server.port());
    ASSERT_TRUE(attacker.ok());
    int32_t refused = a.run(attacker);
    ASSERT_GT(refused, 0);
    EXPECT_THAT(attacker.Diagnostic(refused),
                HasSubstr("S1001 [velsrv]Memory allocation failure: the values this "
                          "connection's statements hold (parameters, long result values) would "
                          "pass the server's bound of 1048576 bytes per connection"));
    EXPECT_LE(server.held(), kConnectionBound);
    EXPECT_EQ(bystander.Exec(own, "INSERT INTO held VALUES ('still served')"), 0);
    attacker.Close();
    EXPECT_TRUE(Eventually([&] { return server.held() == 0; }));
  }

  // Three connections that each stay within their own bound meet the
  // server's (a value that grows is charged its old and its new buffer
  // while its bytes move).
  std::vector<std::unique_ptr<Client>> holders;
  for (int i = 0; i < 2; ++i) {
    holders.push_back(std::make_unique<Client>(server.port()));
    ASSERT_EQ(holders.back()->GatherUntilRefused(2), 0);
  }
  Client third(server.port());
  int32_t refused = third.GatherUntilRefused(2);
  ASSERT_GT(refused, 0);
  EXPECT_THAT(third.Diagnostic(refused),
              HasSubstr("S1001 [velsrv]Memory allocation failure: the server holds as much for "
                        "its clients as it may (1572864 bytes)"));
  EXPECT_LE(server.held(), kServerBound);
  EXPECT_EQ(bystander.Exec(own, "INSERT INTO held VALUES ('still served')"), 0);
  // What a holder gave back can be taken by another.
  holders.front()->Close();
  EXPECT_TRUE(Eventually([&] { return server.held() < kServerBound / 2; }));
  EXPECT_EQ(third.GatherUntilRefused(2), 0);
}

// A PostgreSQL server that takes connections and never answers: a listening
// socket nobody accepts on. Closing it resets what waits in its queue.
class SilentPostgres {
 public:
  SilentPostgres() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), n) != 0 || ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
      return;
    port_ = ntohs(a.sin_port);
  }
  ~SilentPostgres() { Close(); }
  uint16_t port() const { return port_; }
  // True once a connection waits in the queue.
  bool Reached() {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 10000) == 1;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  std::string ConnectionString() const {
    return "Driver=" + PrivatePostgres::OdbcDriverPath() +
           ";Servername=127.0.0.1;Port=" + std::to_string(port_) +
           ";Database=nothing;Username=nobody;Password=none";
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST(BackendDriverTest, AConnectThatHangsHoldsUpOnlyLoginsToItsOwnDriverAndThemNoLonger) {
  if (!std::filesystem::exists(PrivatePostgres::OdbcDriverPath()))
    GTEST_SKIP() << "psqlODBC is not installed: " << PrivatePostgres::OdbcDriverPath();
  SilentPostgres silent;
  ASSERT_NE(silent.port(), 0);
  velsrv::OdbcBackend backend;
  ASSERT_TRUE(backend.ok());
  auto connect = [&](const std::string& text, Clock::duration within, velsrv::DiagList* diags) {
    std::unique_ptr<velsrv::BackendConnection> connection;
    velsrv::BackendRc rc = backend.Connect(text, Clock::now() + within, &connection, diags);
    return velsrv::Succeeded(rc) && connection != nullptr;
  };

  velsrv::DiagList hung_diags;
  auto hung = std::async(std::launch::async, [&] {
    return connect(silent.ConnectionString(), std::chrono::minutes(1), &hung_diags);
  });
  ASSERT_TRUE(silent.Reached());

  // Another driver connects meanwhile.
  velsrv::DiagList diags;
  EXPECT_TRUE(connect("DSN=velsrv_sqlite", std::chrono::seconds(30), &diags));
  EXPECT_EQ(hung.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

  // The same driver waits for its turn no longer than its own login's time.
  diags.clear();
  auto start = Clock::now();
  EXPECT_FALSE(connect(silent.ConnectionString(), std::chrono::seconds(1), &diags));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
  ASSERT_FALSE(diags.empty());
  EXPECT_EQ(diags[0].sqlstate, "S1T00");
  EXPECT_THAT(diags[0].text, HasSubstr("another login to the same backend driver"));
  EXPECT_EQ(hung.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

  silent.Close();
  EXPECT_FALSE(hung.get());
}

TEST(BackendDriverTest, ALoginThatHangsInItsBackendIsRefusedWithItsReasonAndOthersLogIn) {
  if (!std::filesystem::exists(PrivatePostgres::OdbcDriverPath()))
    GTEST_SKIP() << "psqlODBC is not installed: " << PrivatePostgres::OdbcDriverPath();
  SilentPostgres silent;
  ASSERT_NE(silent.port(), 0);
  velsrv::ServerConfig config;
  config.port = 0;
  config.login_timeout_seconds = 2;
  config.dsns = {
      {"sqlite", "SQLite test database", "DSN=velsrv_sqlite"},
      {"hanging", "never answers", silent.ConnectionString(), "", velsrv::LoginCheck::kBackend}};
  velsrv::OdbcBackend backend;
  velsrv::Listener listener(config, backend);
  std::string error;
  ASSERT_TRUE(listener.Open(&error)) << error;
  listener.Start();
  auto login_text = [](const char* dsn) {
    return std::string("DSN=L;ServerName=127.0.0.1.1583;ServerDSN=") + dsn +
           ";UID=u;PWD=p;ClntHostName=pc7;ClntIP=127.0.0.1;ClntUserName=ann;ExecDesc=tests;";
  };
  auto start = Clock::now();
  auto hanging = std::async(std::launch::async, [&] {
    TestClient c;
    int16_t status = 0x7FFF;
    if (!c.Connect(listener.port())) return std::string("no connection");
    LoginResult r = Login(c, login_text("hanging"), &status);
    // Its time is up by now, yet the reason can still be read.
    Reply reply;
    std::vector<LnaDiagRecord> diags;
    auto request = Request(
        12, [&](MsgBuf* b) { return MsgBufPutI32(b, r.connection_id) && MsgBufPutI32(b, 0); });
    if (!c.Call(request.get(), &reply) || !UnpackErrors(reply.buf.get(), &diags) || diags.empty())
      return "status " + std::to_string(status) + ", no diagnostic";
    return "status " + std::to_string(status) + ", " + diags[0].sqlstate;
  });
  ASSERT_TRUE(silent.Reached());
  TestClient other;
  ASSERT_TRUE(other.Connect(listener.port()));
  int16_t status;
  Login(other, login_text("sqlite"), &status);
  EXPECT_TRUE(status == 0 || status == 1) << status;
  EXPECT_EQ(hanging.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  std::string outcome = hanging.get();
  EXPECT_THAT(outcome, ::testing::StartsWith("status -20, ")) << outcome;
  EXPECT_NE(outcome, "status -20, no diagnostic");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  listener.Stop();
}

TEST(BackendDriverTest, ConnectionStringsNameTheLibraryTheyLeadTo) {
  struct Case {
    const char* connect;
    std::string driver;
  } cases[] = {
      {"DSN=velsrv_sqlite", std::filesystem::path(VEL_SQLITE_ODBC_DRIVER).filename()},
      {"DRIVER={VelsrvSQLite};Database=x.db",
       std::filesystem::path(VEL_SQLITE_ODBC_DRIVER).filename()},
      {"Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so;Servername=db1", "psqlodbcw.so"},
      {"DSN=velsrv_missing;UID=ann", "DSN=velsrv_missing"},
      {"uid={a;DRIVER=x.so};dsn={velsrv_missing}", "DSN=velsrv_missing"},
  };
  for (const Case& c : cases) EXPECT_EQ(velsrv::BackendDriverOf(c.connect), c.driver) << c.connect;
}

}  // namespace
}  // namespace velsrv_test

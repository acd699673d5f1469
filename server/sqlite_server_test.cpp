// The server in front of SQLite through unixODBC and the SQLite ODBC driver.
// The process gets private odbcinst.ini and odbc.ini files, defining a data
// source on a database file in a temporary folder, before its first ODBC
// call (unixODBC reads them once per process).
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "common/memory.h"
#include "server/dispatch_harness.h"
#include "server/listener.h"
#include "server/odbc_backend.h"
#include "server/type_table.h"
#include "server/wire_test_client.h"
#include "testing/temp_dir.h"

namespace velsrv_test {
namespace {

namespace fs = std::filesystem;

fs::path g_dir;

class OdbcFiles : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    g_dir = dir_->path();
    dir_->Write("odbcinst.ini",
                "[VelsrvSQLite]\n"
                "Description = SQLite for the server tests\n"
                "Driver = " VEL_SQLITE_ODBC_DRIVER "\n");
    dir_->Write("odbc.ini", "[velsrv_sqlite]\nDriver = VelsrvSQLite\nDatabase = " +
                                dir_->Path("test.db") + "\n");
    setenv("ODBCSYSINI", dir_->path().c_str(), 1);
    setenv("ODBCINI", dir_->Path("odbc.ini").c_str(), 1);
    // The driver manager loads its installer library to look data sources
    // up and unloads it at exit, while its cache of the files still holds
    // memory: kept resident, that memory stays reachable for the leak check.
    installer_ = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
  }
  void TearDown() override { dir_.reset(); }

 private:
  std::unique_ptr<TempDir> dir_;
  void* installer_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new OdbcFiles);

velsrv::ServerConfig SqliteConfig() {
  velsrv::ServerConfig c;
  c.port = 0;
  c.dsns = {{"sqlite", "SQLite test database", "DSN=velsrv_sqlite"},
            {"orphan", "No such ODBC data source", "DSN=velsrv_missing"}};
  return c;
}

// Runs SQL on the test database directly, to set up what the tests read.
void Execute(const char* sql) {
  SQLHENV env;
  SQLHDBC dbc;
  SQLHSTMT stmt;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
  SQLCHAR dsn[] = "DSN=velsrv_sqlite";
  ASSERT_TRUE(SQL_SUCCEEDED(
      SQLDriverConnect(dbc, nullptr, dsn, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  EXPECT_TRUE(SQL_SUCCEEDED(
      SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS)));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

class SqliteServer {
 public:
  SqliteServer() : listener_(SqliteConfig(), backend_) {
    EXPECT_TRUE(backend_.ok());
    std::string error;
    EXPECT_TRUE(listener_.Open(&error)) << error;
    listener_.Start();
  }
  ~SqliteServer() { listener_.Stop(); }
  uint16_t port() { return listener_.port(); }

 private:
  velsrv::OdbcBackend backend_;
  velsrv::Listener listener_;
};

std::string LoginText(const std::string& server_dsn) {
  return "DSN=Local;ServerName=127.0.0.1.1583;ServerDSN=" + server_dsn +
         ";ArrayFetchOn=1;ArrayBufferSize=8;ClntHostName=pc7;ClntIP=127.0.0.1;ClntUserName=ann;"
         "ExecDesc=tests;";
}

LoginResult Login(TestClient& c, const std::string& text, int16_t* status) {
  Reply reply;
  LoginResult r;
  *status = 0x7FFF;
  if (c.Call(LoginRequest(text).get(), &reply) &&
      UnpackLogin(reply.buf.get(), static_cast<uint32_t>(text.size() + 2), &r))
    *status = reply.status;
  return r;
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

bool InTable(const LoginResult& login, int16_t type) {
  if (type == 12 || type == 1 || type == 4 || type == 5) return true;  // the client adds these
  for (const LnaTypeInfo& t : login.types) {
    if (t.sql_type == type) return true;
  }
  return false;
}

TEST(SqliteServerTest, LoginReplyIsConsumedExactlyAndDescribesSqlite) {
  SqliteServer server;
  TestClient c;
  ASSERT_TRUE(c.Connect(server.port()));
  int16_t status;
  LoginResult r = Login(c, LoginText("sqlite"), &status);
  ASSERT_TRUE(status == 0 || status == 1) << status;
  EXPECT_NE(r.connection_id, 0);
  EXPECT_EQ(r.completed, "");
  EXPECT_STREQ(r.info.dbms_name, "SQLite");
  EXPECT_STREQ(r.info.server_name, "sqlite");
  ASSERT_EQ(r.table_types.size(), 2u);
  EXPECT_STREQ(r.table_types[0].name, "TABLE");
  EXPECT_STREQ(r.table_types[1].name, "VIEW");
  EXPECT_EQ(r.table_types[1].bit, 2);
  EXPECT_EQ(r.functions[40], 1);
  EXPECT_EQ(r.functions[56], 0);  // the SQLite driver has no SQLColumnPrivileges
  ASSERT_FALSE(r.types.empty());
  for (size_t i = 1; i < r.types.size(); ++i)
    EXPECT_LE(r.types[i - 1].sql_type, r.types[i].sql_type);

  // SQL_DATABASE_NAME: the file's name, not where it lies on the server.
  Reply reply;
  auto info = Request(20, [&](MsgBuf* b) {
    return PutConnection(b, r.connection_id) && MsgBufPutU16(b, 16) && MsgBufPutI32(b, 256);
  });
  ASSERT_TRUE(c.Call(info.get(), &reply));
  EXPECT_EQ(reply.status, 0);
  void* array = nullptr;
  uint32_t n = 0;
  int32_t full = 0;
  ASSERT_TRUE(MsgBufGetArray(reply.buf.get(), &array, MsgBufGetElem<XdrTypedValue>,
                             sizeof(LnaTypedValue), &n, MsgBufRelease<XdrFreeTypedValue>) &&
              MsgBufGetI32(reply.buf.get(), &full) && MsgBufAllRead(reply.buf.get()));
  ASSERT_EQ(n, 1u);
  EXPECT_STREQ(static_cast<LnaTypedValue*>(array)->value.text, "test.db");
  MsgBufFreeArray(array, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);

  // Autocommit off, a commit, and back.
  for (uint32_t autocommit : {0u, 1u}) {
    auto set = Request(33, [&](MsgBuf* b) {
      LnaTypedValue v{};
      v.c_type = kCTypeLong;
      v.length = 4;
      v.value.u32 = autocommit;
      return PutConnection(b, r.connection_id) && MsgBufPutU16(b, 102) && XdrPutTypedValue(b, &v);
    });
    ASSERT_TRUE(c.Call(set.get(), &reply));
    EXPECT_EQ(reply.status, 0);
    auto commit = Request(
        46, [&](MsgBuf* b) { return PutConnection(b, r.connection_id) && MsgBufPutU16(b, 0); });
    ASSERT_TRUE(c.Call(commit.get(), &reply));
    EXPECT_EQ(reply.status, 0);
  }
}

TEST(SqliteServerTest, CatalogResultsAreDescribedWithTypesOfTheLogin) {
  Execute(
      "CREATE TABLE IF NOT EXISTS orders (id INTEGER PRIMARY KEY, picture BLOB, placed TIMESTAMP)");
  SqliteServer server;
  TestClient c;
  ASSERT_TRUE(c.Connect(server.port()));
  int16_t status;
  LoginResult login = Login(c, LoginText("sqlite"), &status);
  ASSERT_TRUE(status == 0 || status == 1);
  Reply reply;
  int32_t stmt = 0;
  ASSERT_TRUE(c.Call(
      Request(1, [&](MsgBuf* b) { return PutConnection(b, login.connection_id); }).get(), &reply));
  ASSERT_TRUE(UnpackI32(reply.buf.get(), &stmt));
  ASSERT_NE(stmt, 0);
  for (uint32_t procedure : {56u, 58u, 61u, 62u, 64u}) {
    SCOPED_TRACE(procedure);
    ASSERT_TRUE(c.Call(CatalogRequest(procedure, stmt, "orders").get(), &reply));
    EXPECT_EQ(reply.status, 0);
    std::vector<LnaColumnDesc> cols;
    ASSERT_TRUE(UnpackColumns(reply.buf.get(), &cols));
    EXPECT_GE(cols.size(), 5u);
    for (const LnaColumnDesc& col : cols) EXPECT_TRUE(InTable(login, col.sql_type)) << col.name;
  }
  // What the backend lacks fails with its own diagnostic on the statement.
  ASSERT_TRUE(c.Call(CatalogRequest(55, stmt, "orders").get(), &reply));
  EXPECT_EQ(reply.status, -20);
  std::vector<LnaDiagRecord> diags = Errors(c, 0, stmt);
  ASSERT_FALSE(diags.empty());
  EXPECT_STREQ(diags[0].sqlstate, "IM001");
}

TEST(SqliteServerTest, UnknownDataSourcesFailWithDiagnosticsForProcedure12) {
  SqliteServer server;
  struct Case {
    const char* server_dsn;
    const char* text_part;
  } cases[] = {
      {"nosuch", "[velsrv]Data source name not found on the server"},
      {"orphan", "[unixODBC]"},  // the driver manager's own
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.server_dsn);
    TestClient c;
    ASSERT_TRUE(c.Connect(server.port()));
    int16_t status;
    LoginResult r = Login(c, LoginText(k.server_dsn), &status);
    EXPECT_EQ(status, -20);
    ASSERT_NE(r.connection_id, 0);
    std::vector<LnaDiagRecord> diags = Errors(c, r.connection_id, 0);
    ASSERT_FALSE(diags.empty());
    EXPECT_STREQ(diags[0].sqlstate, "IM002");
    EXPECT_NE(std::string(diags[0].text).find(k.text_part), std::string::npos) << diags[0].text;
  }
}

TEST(SqliteServerTest, BlobColumnsFindATypeInSqlitesOwnList) {
  velsrv::OdbcBackend backend;
  std::unique_ptr<velsrv::BackendConnection> connection;
  velsrv::DiagList diags;
  ASSERT_TRUE(velsrv::Succeeded(backend.Connect("DSN=velsrv_sqlite", &connection, &diags)));
  std::vector<LnaTypeInfo> rows;
  ASSERT_TRUE(velsrv::Succeeded(connection->TypeInfo(&rows, &diags)));
  velsrv::TypeTable types;
  types.Build(rows);
  // The driver describes BLOB columns as SQL_BINARY but does not list it.
  EXPECT_FALSE(types.Has(-2));
  int32_t precision = 255;
  int16_t mapped = types.Map(-2, &precision);
  EXPECT_TRUE(mapped == -3 || mapped == -4) << mapped;
  EXPECT_TRUE(types.Has(mapped));
}

// The program itself, with no configuration at all: the demo data source on
// SQLite in its working folder, and a clean stop on SIGTERM.
TEST(SqliteServerTest, VelsrvStartsWithoutConfigurationAndStopsOnSigterm) {
  fs::path work = g_dir / "demo";
  fs::create_directories(work);
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    if (chdir(work.c_str()) != 0) _exit(126);
    execl(VELSRV_PATH, "velsrv", "--port", "0", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* output = fdopen(out[0], "r");
  char line[256] = "";
  unsigned port = 0;
  ASSERT_NE(fgets(line, sizeof line, output), nullptr);
  ASSERT_EQ(sscanf(line, "velsrv: listening on 127.0.0.1:%u", &port), 1) << line;

  {
    TestClient c;
    ASSERT_TRUE(c.Connect(static_cast<uint16_t>(port)));
    Reply reply;
    auto sources =
        Request(48, [](MsgBuf* b) { return MsgBufPutString(b, "") && MsgBufPutI32(b, 4096); });
    ASSERT_TRUE(c.Call(sources.get(), &reply));
    int32_t n = 0;
    ASSERT_TRUE(MsgBufGetI32(reply.buf.get(), &n));
    std::string bytes(static_cast<size_t>(n), '\0');
    ASSERT_TRUE(MsgBufGetBytes(reply.buf.get(), bytes.data(), static_cast<uint32_t>(n)));
    EXPECT_EQ(bytes, std::string("demo;SQLite demo database\0\0", 27));

    TestClient user;
    ASSERT_TRUE(user.Connect(static_cast<uint16_t>(port)));
    int16_t status;
    LoginResult r = Login(user, LoginText("demo"), &status);
    EXPECT_TRUE(status == 0 || status == 1) << status;
    EXPECT_STREQ(r.info.dbms_name, "SQLite");
    kill(pid, SIGTERM);
    EXPECT_TRUE(user.ServerClosed());
  }
  int wstatus = 0;
  pid_t ended = 0;
  for (int i = 0; i < 1000 && ended == 0; ++i) {
    ended = waitpid(pid, &wstatus, WNOHANG);
    if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (ended == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &wstatus, 0);
  }
  ASSERT_EQ(ended, pid) << "velsrv did not stop on SIGTERM";
  EXPECT_TRUE(WIFEXITED(wstatus));
  EXPECT_EQ(WEXITSTATUS(wstatus), 0);
  fclose(output);
  EXPECT_TRUE(fs::exists(work / "velsrv_demo.db"));
}

}  // namespace
}  // namespace velsrv_test

// The server in front of SQLite through unixODBC and the SQLite ODBC driver,
// on the program's private odbcinst.ini and odbc.ini.
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
#include "server/listener.h"
#include "server/odbc_backend.h"
#include "server/type_table.h"
#include "testing/dispatch_harness.h"
#include "testing/sqlite_odbc_files.h"
#include "testing/temp_dir.h"
#include "testing/wire_test_client.h"

namespace velsrv_test {
namespace {

namespace fs = std::filesystem;

const auto* const kOdbcFiles = AddSqliteOdbcFiles();

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
  ASSERT_TRUE(velsrv::Succeeded(backend.Connect(
      "DSN=velsrv_sqlite", std::chrono::steady_clock::now() + std::chrono::seconds(30), &connection,
      &diags)));
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

// What procedure 48 lists: "name;description\0" per data source, "\0" at
// the end; empty when the server does not answer.
std::string DataSourceList(uint16_t port) {
  TestClient c;
  Reply reply;
  int32_t n = 0;
  auto sources =
      Request(48, [](MsgBuf* b) { return MsgBufPutString(b, "") && MsgBufPutI32(b, 4096); });
  if (!c.Connect(port) || !c.Call(sources.get(), &reply) || !MsgBufGetI32(reply.buf.get(), &n) ||
      n < 0)
    return "";
  std::string bytes(static_cast<size_t>(n), '\0');
  if (!MsgBufGetBytes(reply.buf.get(), bytes.data(), static_cast<uint32_t>(n))) return "";
  return bytes;
}

// The program itself, with no configuration at all: the demo data source on
// SQLite in its working folder, and a clean stop on SIGTERM.
TEST(SqliteServerTest, VelsrvStartsWithoutConfigurationAndStopsOnSigterm) {
  fs::path work = SqliteOdbcFiles::dir() / "demo";
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
    EXPECT_EQ(DataSourceList(static_cast<uint16_t>(port)),
              std::string("demo;SQLite demo database\0\0", 27));

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

// velsrv as a child process: its standard output read for the port, its
// log (standard error) kept in a file.
class VelsrvProcess {
 public:
  // `program` runs in `folder` (the test's own when empty).
  VelsrvProcess(const std::vector<std::string>& args, const std::string& log_path,
                const std::string& program = VELSRV_PATH, const std::string& folder = "") {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    pid_ = fork();
    if (pid_ == 0) {
      int log = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out[1], 1);
      dup2(log, 2);
      close(out[0]);
      close(out[1]);
      if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
      std::vector<char*> argv;
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    output_ = fdopen(out[0], "r");
    char line[256] = "";
    unsigned port = 0;
    if (fgets(line, sizeof line, output_) != nullptr &&
        sscanf(line, "velsrv: listening on 127.0.0.1:%u", &port) == 1)
      port_ = static_cast<uint16_t>(port);
  }
  ~VelsrvProcess() {
    if (pid_ > 0 && Wait() < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    fclose(output_);
  }
  uint16_t port() const { return port_; }
  void Signal(int signal) { kill(pid_, signal); }
  bool Running() { return waitpid(pid_, nullptr, WNOHANG) == 0; }
  // Its exit code after SIGTERM; -1 when it did not stop within seconds.
  int Stop() {
    Signal(SIGTERM);
    return Wait();
  }

 private:
  int Wait() {
    int status = 0;
    for (int i = 0; i < 1000; ++i) {
      pid_t ended = waitpid(pid_, &status, WNOHANG);
      if (ended == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  uint16_t port_ = 0;
};

// A users-list hash from the program itself.
std::string HashFromVelsrv(const std::string& password) {
  std::string command = "printf '%s\\n' '" + password + "' | '" VELSRV_PATH "' --hash-password";
  FILE* p = popen(command.c_str(), "r");
  char line[512] = "";
  if (p == nullptr) return "";
  if (fgets(line, sizeof line, p) == nullptr) line[0] = 0;
  pclose(p);
  std::string hash = line;
  if (!hash.empty() && hash.back() == '\n') hash.pop_back();
  return hash;
}

TEST(VelsrvProcessTest, HangupReloadsTheDataSourcesAndUsersAndEverythingIsLogged) {
  TempDir dir;
  std::string hash = HashFromVelsrv("pw 1");
  ASSERT_EQ(hash.rfind("$", 0), 0u) << hash;
  std::string users = dir.Write("users", "ann:" + hash + "\n");
  std::string sqlite = "DRIVER=" VEL_SQLITE_ODBC_DRIVER ";Database=" + dir.Path("a.db");
  std::string first = "[server]\nport = 0\n[dsn first]\ndescription = One\nconnect = " + sqlite +
                      "\n[dsn broken]\nconnect = DRIVER=/nonexistent/driver.so\n";
  std::string config = dir.Write("velsrv.conf", first);
  std::string log_path = dir.Path("velsrv.log");
  {
    VelsrvProcess velsrv({"velsrv", "--config=" + config, "--log-level=info"}, log_path);
    ASSERT_NE(velsrv.port(), 0);
    EXPECT_EQ(DataSourceList(velsrv.port()), std::string("first;One\0broken;\0\0", 19));

    // A second source whose connect string holds credentials: the users
    // list decides who logs in.
    dir.Write("velsrv.conf", first + "[dsn second]\ndescription = Two\nconnect = " + sqlite +
                                 ";UID=svc\nusers = " + users + "\n");
    velsrv.Signal(SIGHUP);
    std::string both("first;One\0broken;\0second;Two\0\0", 30);
    std::string listed;
    for (int i = 0; i < 300 && listed != both; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      listed = DataSourceList(velsrv.port());
    }
    EXPECT_EQ(listed, both);
    struct Case {
      const char* credentials;
      bool accepted;
    } cases[] = {{"UID=ann;PWD=pw 1;", true}, {"UID=ann;PWD=pw 2;", false}, {"", false}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.credentials);
      TestClient user;
      ASSERT_TRUE(user.Connect(velsrv.port()));
      int16_t status;
      Login(user, LoginText("second") + c.credentials, &status);
      EXPECT_EQ(status == 0 || status == 1, c.accepted) << status;
    }

    // A configuration that does not read leaves the last one serving.
    dir.Write("velsrv.conf", "[dsn\n");
    velsrv.Signal(SIGHUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(velsrv.Running());
    EXPECT_EQ(DataSourceList(velsrv.port()), both);
    EXPECT_EQ(velsrv.Stop(), 0);
  }
  std::string log = dir.Read("velsrv.log");
  for (const char* line : {
           "velsrv: info: listening on 127.0.0.1:",
           "velsrv: info: data source \"first\" (One) connects",
           "velsrv: warning: data source \"broken\" cannot connect: ",
           "velsrv: info: reloaded: 3 data source(s)",
           "velsrv: info: login from 127.0.0.1: user \"ann\", data source \"second\"",
           "velsrv: warning: login refused from 127.0.0.1: user \"ann\", data source \"second\": "
           "unknown user or wrong password",
           "velsrv: warning: login refused from 127.0.0.1: user \"\", data source \"second\": no "
           "user name",
           "velsrv: error: reload failed, the configuration stays: ",
           "velsrv: info: stopped",
       })
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

// Installed, velsrv reads its installation's configuration when the command
// line names none, and its log says first which file that was; without
// one, the log says so and warns that the demo data source takes any login.
TEST(VelsrvProcessTest, WithoutConfigAnInstalledVelsrvReadsTheSystemConfiguration) {
  TempDir dir;
  fs::path prefix = fs::path(dir.Path("prefix"));
  fs::create_directories(prefix / "sbin");
  fs::create_directories(prefix / "var");
  std::string program = (prefix / "sbin" / "velsrv").string();
  fs::copy_file(VELSRV_PATH, program);
  std::string config = (prefix / "etc" / "velsrv" / "velsrv.conf").string();
  std::string log_path = dir.Path("velsrv.log");
  auto first_line = [&] {
    std::string log = dir.Read("velsrv.log");
    return log.substr(0, log.find('\n'));
  };
  {
    VelsrvProcess velsrv({"velsrv", "--port=0", "--discovery-port=0"}, log_path, program,
                         (prefix / "var").string());
    ASSERT_NE(velsrv.port(), 0);
    EXPECT_EQ(DataSourceList(velsrv.port()), std::string("demo;SQLite demo database\0\0", 27));
    EXPECT_EQ(velsrv.Stop(), 0);
  }
  EXPECT_EQ(first_line(),
            "velsrv: info: no configuration file (--config or " + config + "): built-in settings");
  EXPECT_NE(dir.Read("velsrv.log").find("velsrv: warning: data source \"demo\" accepts any login"),
            std::string::npos)
      << dir.Read("velsrv.log");

  fs::create_directories(prefix / "etc" / "velsrv");
  dir.Write("prefix/etc/velsrv/velsrv.conf",
            "[server]\nport = 0\ndiscovery_port = 0\n[dsn installed]\ndescription = Mine\n"
            "connect = DRIVER=" VEL_SQLITE_ODBC_DRIVER ";Database=" +
                dir.Path("installed.db") + "\n");
  {
    VelsrvProcess velsrv({"velsrv"}, log_path, program);
    ASSERT_NE(velsrv.port(), 0);
    EXPECT_EQ(DataSourceList(velsrv.port()), std::string("installed;Mine\0\0", 16));
    EXPECT_EQ(velsrv.Stop(), 0);
  }
  EXPECT_EQ(first_line(), "velsrv: info: configuration " + config);
  EXPECT_EQ(dir.Read("velsrv.log").find("accepts any login"), std::string::npos);
}

TEST(VelsrvProcessTest, FlagsFollowGetoptLong) {
  struct Case {
    std::string command;
    int exit_code;
    const char* output_part;
  } cases[] = {
      {"--version", 0, "velsrv 6.1"},
      {"-h", 0, "usage: velsrv"},
      {"--port=70000", 2, "--port: port wants a number"},
      {"--port", 2, "--port wants a value"},
      {"--colour=blue", 2, "unknown flag --colour=blue"},
      {"extra", 2, "unexpected argument extra"},
      {"--config /nonexistent/velsrv.conf", 2, "/nonexistent/velsrv.conf: cannot be read"},
      {"--listen=203.0.113.9 --port=0", 1, "cannot start: 203.0.113.9:0: "},
      {"--hash-password </dev/null", 2, "no password given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    std::string command = "'" VELSRV_PATH "' " + c.command + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string output;
    char chunk[256];
    while (fgets(chunk, sizeof chunk, p) != nullptr) output += chunk;
    int status = pclose(p);
    EXPECT_EQ(WEXITSTATUS(status), c.exit_code) << output;
    EXPECT_NE(output.find(c.output_part), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace velsrv_test

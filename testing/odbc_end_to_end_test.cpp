// The driver through unixODBC's driver manager against a velsrv on
// loopback: an application linked with libodbc, and the clients users run
// (isql, iusql, python3 with pyodbc).
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/odbc_harness.h"

namespace {

using testing_odbc::OdbcHarness;

OdbcHarness* g_harness = nullptr;

SQLCHAR* Text(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

struct Diagnostic {
  std::string state;
  std::string text;
};

// The first diagnostic of a handle, through the ODBC 2 call.
Diagnostic FirstError(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt) {
  SQLCHAR state[6] = {};
  SQLCHAR text[1024] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  SQLError(henv, hdbc, hstmt, state, &native, text, sizeof text, &length);
  return {reinterpret_cast<char*>(state), reinterpret_cast<char*>(text)};
}

class EndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = new OdbcHarness(paths, "VelE2E");
    g_harness->ExportToThisProcess();
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(g_harness->ok()) << g_harness->error(); }

  // A fresh data source name: the driver manager caches what it read of
  // odbc.ini for a while.
  static std::string NewDsn(const std::vector<std::string>& extra = {}) {
    static int n = 0;
    std::string name = "VelE2E" + std::to_string(++n);
    g_harness->AddDsn(name, extra);
    return name;
  }

  // An ODBC 2 application's handles.
  struct Odbc2 {
    SQLHENV henv = SQL_NULL_HENV;
    SQLHDBC hdbc = SQL_NULL_HDBC;
    Odbc2() {
      EXPECT_EQ(SQLAllocEnv(&henv), SQL_SUCCESS);
      EXPECT_EQ(SQLAllocConnect(henv, &hdbc), SQL_SUCCESS);
    }
    ~Odbc2() {
      SQLFreeConnect(hdbc);
      SQLFreeEnv(henv);
    }
    SQLRETURN Connect(const std::string& dsn, const char* uid = nullptr,
                      const char* pwd = nullptr) {
      return SQLConnect(hdbc, Text(dsn), SQL_NTS,
                        reinterpret_cast<SQLCHAR*>(const_cast<char*>(uid)), SQL_NTS,
                        reinterpret_cast<SQLCHAR*>(const_cast<char*>(pwd)), SQL_NTS);
    }
    std::string InfoText(SQLUSMALLINT type) {
      char buffer[256] = {};
      SQLSMALLINT length = 0;
      SQLRETURN r = SQLGetInfo(hdbc, type, buffer, sizeof buffer, &length);
      return SQL_SUCCEEDED(r) ? std::string(buffer) : "<error " + std::to_string(r) + ">";
    }
  };
};

TEST_F(EndToEnd, ConnectAnswersInformationAndDisconnects) {
  Odbc2 app;
  std::string dsn = NewDsn();
  ASSERT_TRUE(SQL_SUCCEEDED(app.Connect(dsn, "ann", "secret")))
      << FirstError(app.henv, app.hdbc, nullptr).text;
  EXPECT_EQ(app.InfoText(SQL_DBMS_NAME), "SQLite");
  EXPECT_EQ(app.InfoText(SQL_DATA_SOURCE_NAME), dsn);
  EXPECT_EQ(app.InfoText(SQL_DRIVER_VER), "07.02.0022");
  // Asked of the server on every call; SQLite knows no user.
  EXPECT_EQ(app.InfoText(SQL_USER_NAME), "");
  EXPECT_NE(app.InfoText(SQL_DATABASE_NAME).rfind("<error", 0), 0u);
  SQLUSMALLINT cursor_name = 0;
  EXPECT_EQ(
      SQLGetInfo(app.hdbc, SQL_MAX_CURSOR_NAME_LEN, &cursor_name, sizeof cursor_name, nullptr),
      SQL_SUCCESS);
  EXPECT_EQ(cursor_name, 18);

  SQLUSMALLINT exists = SQL_FALSE;
  EXPECT_EQ(SQLGetFunctions(app.hdbc, SQL_API_SQLGETINFO, &exists), SQL_SUCCESS);
  EXPECT_EQ(exists, SQL_TRUE);

  // A second login on the same handle would orphan the first.
  EXPECT_EQ(app.Connect(dsn), SQL_ERROR);
  EXPECT_EQ(FirstError(app.henv, app.hdbc, nullptr).state, "08002");
  EXPECT_EQ(app.InfoText(SQL_DBMS_NAME), "SQLite");

  EXPECT_EQ(SQLDisconnect(app.hdbc), SQL_SUCCESS);
  // The handle connects again from the data source alone.
  ASSERT_TRUE(SQL_SUCCEEDED(app.Connect(dsn)));
  EXPECT_EQ(SQLDisconnect(app.hdbc), SQL_SUCCESS);
}

TEST_F(EndToEnd, DriverConnectCompletesTheString) {
  SQLHENV henv = SQL_NULL_HENV;
  SQLHDBC hdbc = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv), SQL_SUCCESS);
  SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc), SQL_SUCCESS);
  std::string dsn = NewDsn({"ArrayBufferSize=16"});
  SQLCHAR out[1024] = {};
  SQLSMALLINT length = 0;
  SQLRETURN r = SQLDriverConnect(hdbc, nullptr, Text("DSN=" + dsn + ";UID=bob"), SQL_NTS, out,
                                 sizeof out, &length, SQL_DRIVER_NOPROMPT);
  ASSERT_TRUE(SQL_SUCCEEDED(r));
  std::string completed(reinterpret_cast<char*>(out));
  EXPECT_EQ(completed.rfind("DSN=" + dsn + ";ServerName=127.0.0.1.", 0), 0u) << completed;
  EXPECT_NE(completed.find(";ServerDSN=sqlite;UID=bob;"), std::string::npos) << completed;
  EXPECT_NE(completed.find(";ArrayBufferSize=16;"), std::string::npos) << completed;
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(completed.size()));

  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, hstmt), SQL_SUCCESS);
  EXPECT_EQ(SQLDisconnect(hdbc), SQL_SUCCESS);
  SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
  SQLFreeHandle(SQL_HANDLE_ENV, henv);
}

TEST_F(EndToEnd, StatementsComeAndGoInAnyOrder) {
  Odbc2 app;
  ASSERT_TRUE(SQL_SUCCEEDED(app.Connect(NewDsn())));
  std::vector<SQLHSTMT> statements(7, SQL_NULL_HSTMT);
  for (SQLHSTMT& s : statements) ASSERT_EQ(SQLAllocStmt(app.hdbc, &s), SQL_SUCCESS);
  for (size_t i : {1u, 5u, 0u}) EXPECT_EQ(SQLFreeStmt(statements[i], SQL_DROP), SQL_SUCCESS);
  for (size_t i : {2u, 3u, 4u, 6u}) {
    EXPECT_EQ(SQLFreeStmt(statements[i], SQL_CLOSE), SQL_SUCCESS) << i;
    EXPECT_EQ(SQLFreeStmt(statements[i], SQL_UNBIND), SQL_SUCCESS) << i;
    EXPECT_EQ(SQLFreeStmt(statements[i], SQL_RESET_PARAMS), SQL_SUCCESS) << i;
  }
  // The statements left are dropped with the connection.
  EXPECT_EQ(SQLDisconnect(app.hdbc), SQL_SUCCESS);
}

TEST_F(EndToEnd, RefusedLoginsShowTheServersReason) {
  struct Case {
    std::vector<std::string> extra;
    const char* pwd;
    const char* state;
    const char* reason;
  };
  const Case cases[] = {
      {{"ServerDSN=nosuch"}, nullptr, "IM002", "Data source name not found on the server: nosuch."},
      {{}, "se{cret", "28000", "password holds a brace"},
  };
  for (const Case& c : cases) {
    std::string dsn = "VelE2EBad" + std::string(c.state);
    // The section's own ServerDSN comes first, so the case's line is a
    // fresh section of its own.
    g_harness->AddDsn(dsn, {});
    Odbc2 app;
    std::string in = "DSN=" + dsn + (c.extra.empty() ? "" : ";" + c.extra[0]);
    SQLCHAR out[512];
    SQLSMALLINT length = 0;
    std::string with_pwd = in + (c.pwd != nullptr ? std::string(";PWD=") + c.pwd : "");
    EXPECT_EQ(SQLDriverConnect(app.hdbc, nullptr, Text(with_pwd), SQL_NTS, out, sizeof out, &length,
                               SQL_DRIVER_NOPROMPT),
              SQL_ERROR);
    Diagnostic d = FirstError(app.henv, app.hdbc, nullptr);
    EXPECT_EQ(d.state, c.state) << d.text;
    EXPECT_NE(d.text.find(c.reason), std::string::npos) << d.text;
  }
}

TEST_F(EndToEnd, FiftyConnectCycles) {
  std::string dsn = NewDsn();
  Odbc2 app;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(SQL_SUCCEEDED(app.Connect(dsn))) << i;
    SQLHSTMT hstmt = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocStmt(app.hdbc, &hstmt), SQL_SUCCESS) << i;
    ASSERT_EQ(SQLDisconnect(app.hdbc), SQL_SUCCESS) << i;
  }
}

// Connecting again and again costs no memory that stays: pyodbc connects
// 1,000 times after a warm-up and reports how far its resident size grew.
TEST_F(EndToEnd, ManyConnectsLeaveMemoryFlat) {
  std::string script =
      "import pyodbc\n"
      "def rss():\n"
      "    return int(open('/proc/self/statm').read().split()[1]) * 4\n"
      "def cycle(n):\n"
      "    for _ in range(n):\n"
      "        pyodbc.connect('DSN=" +
      NewDsn() +
      "', autocommit=True).close()\n"
      "cycle(200)\n"
      "before = rss()\n"
      "cycle(1000)\n"
      "print('grew', rss() - before)\n";
  // Freed memory goes back at once: what the sanitizer would hold back is
  // no growth of the driver's.
  testing_odbc::ClientResult r = g_harness->RunClient(
      {"env", "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:quarantine_size_mb=0",
       "/usr/bin/python3", "-c", script},
      "");
  ASSERT_EQ(r.exit_code, 0) << r.output;
  size_t at = r.output.find("grew ");
  ASSERT_NE(at, std::string::npos) << r.output;
  long grew_kb = std::stol(r.output.substr(at + 5));
  // About 5 KB per connect when the installer kept every list it read.
  EXPECT_LT(grew_kb, 1024) << r.output;
}

TEST_F(EndToEnd, IsqlConnectsAndQuits) {
  for (const char* version : {"", "-3"}) {
    std::vector<std::string> args = {"isql", "-v", NewDsn()};
    if (version[0] != '\0') args.push_back(version);
    testing_odbc::ClientResult r = g_harness->RunClient(args, "quit\n");
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("Connected!"), std::string::npos) << version << ": " << r.output;
  }
}

TEST_F(EndToEnd, UnicodeAndPythonClientsConnectThroughDriverConnect) {
  testing_odbc::ClientResult r = g_harness->RunClient({"iusql", "-v", NewDsn()}, "quit\n");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(r.output.find("Connected!"), std::string::npos) << r.output;

  std::string script =
      "import pyodbc\n"
      "c = pyodbc.connect('DSN=" +
      NewDsn() +
      "', autocommit=True)\n"
      "print('dbms', c.getinfo(pyodbc.SQL_DBMS_NAME))\n"
      "c.close()\n";
  r = g_harness->RunClient({"/usr/bin/python3", "-c", script}, "");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(r.output.find("dbms SQLite"), std::string::npos) << r.output;
}

TEST_F(EndToEnd, IsqlShowsWhyALoginFailed) {
  std::string dsn = NewDsn({});
  g_harness->AddDsn("VelE2ENoServerDsn", {});
  testing_odbc::ClientResult r =
      g_harness->RunClient({"isql", "-v", dsn, "ann", "se{cret"}, "quit\n");
  EXPECT_NE(r.output.find("password holds a brace"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Connected!"), std::string::npos) << r.output;
}

// Each client makes a table of its own, writes a row of every kind of
// value and a row of NULLs, and reads them back.
std::string KindsScript(const std::string& table) {
  return "create table " + table +
         "(id integer, t varchar(20), e varchar(20), lt text, b blob, i integer, si smallint, "
         "ti tinyint, bt bit, r real, d double, n numeric(10,2), big bigint)\n"
         "insert into " +
         table +
         " values(1, 'hello', '', printf('%.300c', 'z'), x'00FF10', -42, 7, 3, 1, 2.5, -1.25, "
         "12.34, 9000000000)\n"
         "insert into " +
         table +
         " values(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)\n"
         "select * from " +
         table + " order by id\nquit\n";
}

std::string KindsRow(const char* null) {
  std::string values[] = {
      "1",   "hello", "",      std::string(300, 'z'), "00FF10", "-42", "7", "3", "1",
      "2.5", "-1.25", "12.34", "9000000000"};
  std::string first, second = "2";
  for (const std::string& v : values) first += (first.empty() ? "" : "|") + v;
  for (int i = 0; i < 12; ++i) second += std::string("|") + null;
  return first + "\n" + second + "\n";
}

TEST_F(EndToEnd, ClientsReadBackEveryKindOfValue) {
  const std::string python =
      "import sys, pyodbc\n"
      "c = pyodbc.connect('DSN=' + sys.argv[1], autocommit=True)\n"
      "c.setencoding('utf-8')\n"
      "cur = c.cursor()\n"
      "for sql in sys.stdin.read().splitlines():\n"
      "  if not sql or sql == 'quit': continue\n"
      "  cur.execute(sql)\n"
      "  if cur.description is None: continue\n"
      "  for row in cur.fetchall():\n"
      "    out = []\n"
      "    for v in row:\n"
      "      if v is None: out.append('NULL')\n"
      "      elif isinstance(v, (bytes, bytearray)): out.append(v.hex().upper())\n"
      "      elif isinstance(v, bool): out.append(str(int(v)))\n"
      "      else: out.append(str(v))\n"
      "    print('|'.join(out))\n";
  std::string odbcinst = g_harness->ClientEnvironment()["ODBCSYSINI"] + "/odbcinst.ini";
  struct Client {
    const char* table;
    std::vector<std::string> args;  // the data source name follows
    const char* null;
  };
  // iusql copies overlapping strings of its own: the sanitizer runtime
  // preloaded for the driver must not stop it there.
  const Client clients[] = {
      {"kinds_isql2", {"isql", "-b", "-d|"}, ""},
      {"kinds_isql3", {"isql", "-3", "-b", "-d|"}, ""},
      {"kinds_iusql",
       {"env",
        "ASAN_OPTIONS=detect_leaks=0:replace_str=0:intercept_strlen=0:intercept_strchr=0:"
        "intercept_strndup=0",
        "iusql", "-b", "-d|"},
       ""},
      {"kinds_pyodbc", {"/usr/bin/python3", "-c", python}, "NULL"},
      {"kinds_iodbc",
       {"env", "ODBCINSTINI=" + odbcinst, "/usr/bin/python3", VEL_IODBC_CLIENT},
       "NULL"},
  };
  for (const Client& c : clients) {
    SCOPED_TRACE(c.table);
    std::vector<std::string> args = c.args;
    args.push_back(NewDsn());
    testing_odbc::ClientResult r = g_harness->RunClient(args, KindsScript(c.table));
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find(KindsRow(c.null)), std::string::npos) << r.output;
  }

  // iODBC's own test program runs statements through the driver; its
  // SELECT asks for the scrolling fetch, which the driver does not offer.
  std::string dsn = NewDsn();
  testing_odbc::ClientResult r = g_harness->RunClient(
      {"env", "ODBCINSTINI=" + odbcinst, "iodbctest", "DSN=" + dsn},
      "create table kinds_iodbctest(i integer)\ninsert into kinds_iodbctest values(5)\nquit\n");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(r.output.find("Driver: 07.02.0022"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1 rows affected"), std::string::npos) << r.output;
}

}  // namespace

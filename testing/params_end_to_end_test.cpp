// Parameters through unixODBC's driver manager against a velsrv on
// loopback: pyodbc's "?" parameters and executemany, isql's prepared
// statements, and an application that binds, sends data at execution and
// reads its rows back. What arrived is read from the server's SQLite file
// directly, apart from the driver.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "testing/odbc_harness.h"

namespace {

using testing_odbc::ClientResult;
using testing_odbc::OdbcHarness;

OdbcHarness* g_harness = nullptr;

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

class ParamsEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = new OdbcHarness(paths, "VelParamsE2E");
    g_harness->ExportToThisProcess();
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(g_harness->ok()) << g_harness->error(); }

  // Runs a Python script; the SQLite file's path is in DB, the client data
  // source's name in DSN.
  static ClientResult Python(const std::string& body) {
    std::string script = "import pyodbc, sqlite3, datetime\nDB = '" + g_harness->DatabasePath() +
                         "'\nDSN = '" + g_harness->dsn() + "'\n" + body;
    return g_harness->RunClient({"/usr/bin/python3", "-c", script}, "");
  }
};

TEST_F(ParamsEndToEnd, PyodbcQuestionMarksAndExecutemany) {
  ClientResult r = Python(R"(
c = pyodbc.connect('DSN=' + DSN, autocommit=True)
c.setencoding(encoding='utf-8')
cur = c.cursor()
cur.execute('CREATE TABLE py (n INTEGER, t VARCHAR(40), d DOUBLE, b BLOB, ts TIMESTAMP)')
cur.execute('INSERT INTO py VALUES (?, ?, ?, ?, ?)', 7, "it's", 2.5, b'\x00\x01\xff',
            datetime.datetime(2001, 2, 3, 4, 5, 6))
print('one', cur.rowcount)
cur.execute('INSERT INTO py VALUES (?, ?, ?, ?, ?)', 8, None, None, None, None)
rows = [(i, 'row %d' % i, i / 4.0, bytes([i % 256]), None) for i in range(1000)]
cur.executemany('INSERT INTO py VALUES (?, ?, ?, ?, ?)', rows)
cur.execute('UPDATE py SET n = n WHERE n >= ? AND n < ?', 0, 1000)
print('changed', cur.rowcount)
c.close()
db = sqlite3.connect(DB)
print('first', db.execute("SELECT n, t, d, hex(b), substr(ts, 1, 19) FROM py WHERE n = 7 AND t NOT LIKE 'row %'").fetchall())
print('nulls', db.execute('SELECT count(*) FROM py WHERE n = 8 AND t IS NULL AND d IS NULL AND b IS NULL').fetchone()[0])
print('many', db.execute("SELECT count(*), sum(d), sum(length(t)) FROM py WHERE t LIKE 'row %'").fetchone())
)");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(r.output.find("one 1"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("first [(7, \"it's\", 2.5, '0001FF', '2001-02-03 04:05:06')]"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("nulls 1"), std::string::npos) << r.output;
  // sum(i / 4) over 0..999 and the lengths of "row 0" to "row 999".
  EXPECT_NE(r.output.find("many (1000, 124875.0, 6890)"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("changed 1002"), std::string::npos) << r.output;
}

TEST_F(ParamsEndToEnd, IsqlPreparedInsert) {
  ClientResult r = g_harness->RunClient({"isql", "-v", g_harness->dsn()},
                                        "CREATE TABLE isq (n INTEGER, t VARCHAR(20))\n"
                                        "INSERT INTO isq VALUES (1, 'from isql')\n"
                                        "INSERT INTO isq VALUES (2, 'again')\n"
                                        "quit\n");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  r = Python(
      "print('isql', sqlite3.connect(DB).execute('SELECT n, t FROM isq ORDER BY n')"
      ".fetchall())\n");
  EXPECT_NE(r.output.find("isql [(1, 'from isql'), (2, 'again')]"), std::string::npos) << r.output;
}

// An ODBC 2 application through the driver manager: bound parameters,
// data at execution, and the rows read back with SQLFetch. Reading rows
// back needs the driver's fetch; until it is there the test is skipped.
TEST_F(ParamsEndToEnd, BoundValuesComeBackThroughFetch) {
  SQLHENV henv = SQL_NULL_HENV;
  SQLHDBC hdbc = SQL_NULL_HDBC;
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocEnv(&henv), SQL_SUCCESS);
  ASSERT_EQ(SQLAllocConnect(henv, &hdbc), SQL_SUCCESS);
  std::string dsn = g_harness->dsn();
  ASSERT_TRUE(SQL_SUCCEEDED(SQLConnect(hdbc, Text(dsn.c_str()), SQL_NTS, nullptr, 0, nullptr, 0)));
  ASSERT_EQ(SQLAllocStmt(hdbc, &hstmt), SQL_SUCCESS);
  ASSERT_TRUE(SQL_SUCCEEDED(
      SQLExecDirect(hstmt, Text("CREATE TABLE back (n INTEGER, t VARCHAR(80))"), SQL_NTS)));
  SQLINTEGER n = 0;
  SQLLEN at_exec = SQL_DATA_AT_EXEC;
  char token = 0;
  ASSERT_EQ(
      SQLBindParameter(hstmt, 1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &n, 0, nullptr),
      SQL_SUCCESS);
  ASSERT_EQ(SQLBindParameter(hstmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 80, 0, &token, 0,
                             &at_exec),
            SQL_SUCCESS);
  ASSERT_EQ(SQLPrepare(hstmt, Text("INSERT INTO back VALUES (?, ?)"), SQL_NTS), SQL_SUCCESS);
  const char* texts[] = {"first", "second"};
  for (const char* t : texts) {
    ++n;
    ASSERT_EQ(SQLExecute(hstmt), SQL_NEED_DATA);
    SQLPOINTER got = nullptr;
    ASSERT_EQ(SQLParamData(hstmt, &got), SQL_NEED_DATA);
    EXPECT_EQ(got, &token);
    ASSERT_EQ(SQLPutData(hstmt, Text(t), 3), SQL_SUCCESS);
    ASSERT_EQ(SQLPutData(hstmt, Text(t + 3), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(SQLParamData(hstmt, &got), SQL_SUCCESS);
  }
  SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
  SQLINTEGER wanted = 2;
  ASSERT_EQ(SQLBindParameter(hstmt, 1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &wanted, 0,
                             nullptr),
            SQL_SUCCESS);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(hstmt, Text("SELECT t FROM back WHERE n = ?"), SQL_NTS)));
  SQLRETURN fetched = SQLFetch(hstmt);
  if (fetched == SQL_ERROR) {
    SQLCHAR state[6] = {};
    SQLError(henv, hdbc, hstmt, state, nullptr, nullptr, 0, nullptr);
    if (std::string(reinterpret_cast<char*>(state)) == "S1C00" ||
        std::string(reinterpret_cast<char*>(state)) == "IM001") {
      SQLFreeStmt(hstmt, SQL_DROP);
      SQLDisconnect(hdbc);
      SQLFreeConnect(hdbc);
      SQLFreeEnv(henv);
      GTEST_SKIP() << "the driver cannot fetch yet";
    }
  }
  ASSERT_EQ(fetched, SQL_SUCCESS);
  char text[81] = {};
  SQLLEN length = 0;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLGetData(hstmt, 1, SQL_C_CHAR, text, sizeof text, &length)));
  EXPECT_STREQ(text, "second");
  EXPECT_EQ(length, 6);
  EXPECT_EQ(SQLFetch(hstmt), SQL_NO_DATA_FOUND);
  SQLFreeStmt(hstmt, SQL_DROP);
  SQLDisconnect(hdbc);
  SQLFreeConnect(hdbc);
  SQLFreeEnv(henv);
}

}  // namespace

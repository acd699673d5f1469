// Statements as client programs run them through the driver manager: isql
// and pyodbc against a velsrv on loopback.
#include <gtest/gtest.h>

#include <string>

#include "testing/odbc_harness.h"

namespace {

using testing_odbc::OdbcHarness;

OdbcHarness* g_harness = nullptr;

class StatementClients : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = new OdbcHarness(paths, "VelStmt");
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(g_harness->ok()) << g_harness->error();
    // A server that runs no statements yet answers every one "not capable".
    testing_odbc::ClientResult probe =
        g_harness->RunClient({"isql", "-v", g_harness->dsn()},
                             "CREATE TABLE probe (a integer)\nDROP TABLE probe\nquit\n");
    if (probe.output.find("[S1C00]") != std::string::npos)
      GTEST_SKIP() << "the server does not run statements";
  }
};

TEST_F(StatementClients, IsqlCreatesAndInsertsAndReportsTheRowCount) {
  for (const char* version : {"", "-3"}) {
    std::vector<std::string> args = {"isql", "-v", g_harness->dsn()};
    if (version[0] != '\0') args.push_back(version);
    std::string table = version[0] != '\0' ? "isql3" : "isql2";
    testing_odbc::ClientResult r = g_harness->RunClient(args, "CREATE TABLE " + table +
                                                                  " (a integer, b varchar(10))\n"
                                                                  "INSERT INTO " +
                                                                  table +
                                                                  " VALUES (1, 'one')\n"
                                                                  "DROP TABLE " +
                                                                  table + "\nquit\n");
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("SQLRowCount returns 1"), std::string::npos) << version << r.output;
    EXPECT_EQ(r.output.find("ERROR"), std::string::npos) << version << r.output;
  }
}

TEST_F(StatementClients, PyodbcRunsDdlAndDmlAndDescribesAQuery) {
  std::string script =
      "import pyodbc\n"
      "c = pyodbc.connect('DSN=" +
      g_harness->dsn() +
      "', autocommit=True)\n"
      "cur = c.cursor()\n"
      "cur.execute('create table py (id integer, name varchar(20), price numeric(8,2))')\n"
      "cur.execute(\"insert into py values (1, 'a', 1.5)\")\n"
      "print('inserted', cur.rowcount)\n"
      "cur.execute(\"update py set name = 'b'\")\n"
      "print('updated', cur.rowcount)\n"
      "cur.execute('select id, name as label, price from py')\n"
      "print('columns', [d[0] for d in cur.description])\n"
      "print('rowcount', cur.rowcount)\n"
      "cur.execute('drop table py')\n"
      "c.close()\n";
  testing_odbc::ClientResult r = g_harness->RunClient({"/usr/bin/python3", "-c", script}, "");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(r.output.find("inserted 1"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("updated 1"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("columns ['id', 'label', 'price']"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("rowcount -1"), std::string::npos) << r.output;
}

}  // namespace

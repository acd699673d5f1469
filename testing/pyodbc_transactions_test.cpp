// Transactions and dates as pyodbc applications use them, through the
// driver manager against a velsrv on loopback in front of SQLite. Each case
// runs a small Python program; a second connection checks what the first
// one left in the database.
#include <gtest/gtest.h>

#include <string>

#include "testing/odbc_harness.h"

namespace {

using testing_odbc::OdbcHarness;

OdbcHarness* g_harness = nullptr;

class PyodbcTransactions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = new OdbcHarness(paths, "VelPyTx");
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(g_harness->ok()) << g_harness->error(); }

  // Runs `body` after a prologue that defines `DSN` (the connection string)
  // and `fresh(sql)` (runs DDL on a connection with autocommit on). The
  // program prints "ok" at its end.
  static void RunPython(const std::string& body) {
    const std::string program =
        "import datetime, pyodbc\n"
        "pyodbc.pooling = False\n"
        "DSN = 'DSN=" +
        g_harness->dsn() +
        ";UID=;PWD='\n"
        "def fresh(*sql):\n"
        "    with pyodbc.connect(DSN, autocommit=True) as c:\n"
        "        for s in sql: c.execute(s)\n"
        "def rows(sql):\n"
        "    with pyodbc.connect(DSN, autocommit=True) as c:\n"
        "        return [tuple(r) for r in c.execute(sql).fetchall()]\n" +
        body + "print('ok')\n";
    testing_odbc::ClientResult r = g_harness->RunClient({"/usr/bin/python3", "-c", program}, "");
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("ok\n"), std::string::npos) << r.output;
  }
};

TEST_F(PyodbcTransactions, AutocommitOffCommitsAndRollsBack) {
  RunPython(
      "c = pyodbc.connect(DSN, autocommit=False)\n"
      "assert not c.autocommit\n"
      "c.commit()\n"
      "c.rollback()\n"
      "c.autocommit = True\n"
      "assert c.autocommit\n"
      "c.close()\n");
}

TEST_F(PyodbcTransactions, CommittedRowsAreSeenByAnotherConnection) {
  RunPython(
      "fresh('DROP TABLE IF EXISTS items', 'CREATE TABLE items (id INTEGER, name VARCHAR(20))')\n"
      "c = pyodbc.connect(DSN, autocommit=False)\n"
      "c.execute(\"INSERT INTO items VALUES (1, 'kept')\")\n"
      "assert rows('SELECT id FROM items') == [], 'seen before the commit'\n"
      "c.commit()\n"
      "assert rows('SELECT id, name FROM items') == [(1, 'kept')]\n"
      "c.execute(\"INSERT INTO items VALUES (2, 'dropped')\")\n"
      "c.rollback()\n"
      "assert rows('SELECT id FROM items') == [(1,)]\n"
      "c.execute(\"INSERT INTO items VALUES (3, 'lost')\")\n"
      "c.close()\n"
      "assert rows('SELECT id FROM items') == [(1,)], 'a close without commit kept the row'\n");
}

TEST_F(PyodbcTransactions, DatesAndTimestampsRoundTrip) {
  RunPython(
      "fresh('DROP TABLE IF EXISTS moments', "
      "'CREATE TABLE moments (id INTEGER, d DATE, ts TIMESTAMP)')\n"
      "cases = [(datetime.date(2026, 12, 10), datetime.datetime(2026, 12, 10, 15, 30)),\n"
      "         (datetime.date(2000, 2, 29), datetime.datetime(2000, 2, 29, 23, 59, 59, 999000)),\n"
      "         (datetime.date(1970, 1, 1), datetime.datetime(1970, 1, 1))]\n"
      "with pyodbc.connect(DSN, autocommit=True) as c:\n"
      "    for i, (d, ts) in enumerate(cases):\n"
      "        c.execute('INSERT INTO moments VALUES (?, ?, ?)', i, d, ts)\n"
      "    c.execute(\"INSERT INTO moments VALUES (9, {d '2026-12-10'}, "
      "{ts '2026-12-10 15:30:00'})\")\n"
      "    got = [(r.d, r.ts) for r in c.execute('SELECT d, ts FROM moments ORDER BY id')]\n"
      "assert got == cases + [cases[0]], got\n");
}

}  // namespace

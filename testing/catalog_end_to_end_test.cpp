// The catalog functions as clients use them, through the driver manager
// against a velsrv on loopback in front of SQLite: isql's help and pyodbc's
// catalog calls on tables with primary keys, foreign keys and indexes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/odbc_harness.h"

namespace {

using testing_odbc::OdbcHarness;

OdbcHarness* g_harness = nullptr;

// Two related tables and an index; `prefix` keeps each client's apart.
std::string Schema(const std::string& prefix) {
  return "CREATE TABLE " + prefix +
         "customers (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL)\n" + "CREATE TABLE " +
         prefix + "orders (id INTEGER PRIMARY KEY, customer INTEGER NOT NULL " + "REFERENCES " +
         prefix + "customers(id), placed TIMESTAMP)\n" + "CREATE INDEX " + prefix +
         "orders_placed ON " + prefix + "orders (placed)\n";
}

class CatalogEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                     VEL_ASAN_RUNTIME};
    g_harness = new OdbcHarness(paths, "VelCatalogE2E");
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(g_harness->ok()) << g_harness->error(); }
};

TEST_F(CatalogEndToEnd, IsqlHelpListsTablesAndColumns) {
  struct Case {
    const char* prefix;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"odbc2_", {"isql", "-v", "-b", "-d|", g_harness->dsn()}},
      {"odbc3_", {"isql", "-v", "-b", "-d|", "-3", g_harness->dsn()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    const std::string prefix = c.prefix;
    testing_odbc::ClientResult r =
        g_harness->RunClient(c.args, Schema(prefix) + "help\nhelp " + prefix + "orders\nquit\n");
    EXPECT_EQ(r.exit_code, 0) << r.output;
    // help: one row per table, its name third and its type fourth.
    for (const char* table : {"customers", "orders"})
      EXPECT_NE(r.output.find("|" + prefix + table + "|TABLE|"), std::string::npos) << r.output;
    // help <table>: one row per column, the name fourth, the type name sixth.
    for (const char* column : {"|id|", "|customer|", "|placed|"})
      EXPECT_NE(r.output.find(prefix + "orders" + column), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("[ISQL]ERROR"), std::string::npos) << r.output;
  }
}

TEST_F(CatalogEndToEnd, PyodbcCatalogCalls) {
  const std::string program =
      "import pyodbc\n"
      "c = pyodbc.connect('DSN=" +
      g_harness->dsn() +
      "', autocommit=True)\n"
      "for sql in '''" +
      Schema("py_") +
      "'''.splitlines():\n"
      "    c.execute(sql)\n"
      "cur = c.cursor()\n"
      "t = [(r.table_name, r.table_type) for r in cur.tables(table='py_%')]\n"
      "assert sorted(t) == [('py_customers', 'TABLE'), ('py_orders', 'TABLE')], t\n"
      "cols = [(r.column_name, r.data_type, r.nullable) for r in cur.columns(table='py_orders')]\n"
      "assert [n for n, _, _ in cols] == ['id', 'customer', 'placed'], cols\n"
      "assert cols[1][1] == pyodbc.SQL_INTEGER and cols[1][2] == 0, cols\n"
      "pk = [(r.table_name, r.column_name, r.key_seq) for r in cur.primaryKeys('py_customers')]\n"
      "assert pk == [('py_customers', 'id', 1)], pk\n"
      "fk = [(r.pktable_name, r.pkcolumn_name, r.fktable_name, r.fkcolumn_name, r.key_seq)\n"
      "      for r in cur.foreignKeys(table='py_customers')]\n"
      "assert fk == [('py_customers', 'id', 'py_orders', 'customer', 1)], fk\n"
      "st = [(r.index_name, r.column_name) for r in cur.statistics('py_orders')]\n"
      "assert ('py_orders_placed', 'placed') in st, st\n"
      "ti = [(r.type_name, r.data_type) for r in cur.getTypeInfo()]\n"
      "assert ti and all(n for n, _ in ti), ti\n"
      "assert any(d == pyodbc.SQL_VARCHAR for _, d in ti), ti\n"
      "vc = [r.data_type for r in cur.getTypeInfo(pyodbc.SQL_VARCHAR)]\n"
      "assert vc and set(vc) == {pyodbc.SQL_VARCHAR}, vc\n"
      "print('ok')\n";
  testing_odbc::ClientResult r = g_harness->RunClient({"/usr/bin/python3", "-c", program}, "");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(r.output.find("ok\n"), std::string::npos) << r.output;
}

}  // namespace

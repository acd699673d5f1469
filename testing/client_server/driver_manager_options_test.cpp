// Options and transactions as unixODBC passes them to the driver: ODBC 3
// attribute calls mapped to the option calls, 64-bit values, and the end
// of a transaction by connection and by environment.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <fstream>
#include <string>

#include "testing/registry_sandbox.h"
#include "testing/server_conn_support.h"

namespace {

class DriverManagerOptionsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const testing_registry::Sandbox& sandbox = testing_registry::UseSandbox();
    std::ofstream(sandbox.odbc_sys_dir + "/odbcinst.ini")
        << "[VeltoTest]\nDescription=Driver under test\nDriver=" VEL_DRIVER_PATH "\n";
  }

  void SetUp() override {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv_)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetEnvAttr(henv_, SQL_ATTR_ODBC_VERSION,
                                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv_, &hdbc_)));
    std::string in = "DRIVER={VeltoTest};" + server_.ConnectString();
    ASSERT_TRUE(
        SQL_SUCCEEDED(SQLDriverConnect(hdbc_, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                                       SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
  }
  void TearDown() override {
    if (hdbc_ != SQL_NULL_HDBC) {
      EXPECT_EQ(SQLDisconnect(hdbc_), SQL_SUCCESS);
      EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, hdbc_), SQL_SUCCESS);
    }
    if (henv_ != SQL_NULL_HENV) {
      EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, henv_), SQL_SUCCESS);
    }
  }

  ServerFixture server_;
  SQLHENV henv_ = SQL_NULL_HENV;
  SQLHDBC hdbc_ = SQL_NULL_HDBC;
};

TEST_F(DriverManagerOptionsTest, TransactionsEndByConnectionAndByEnvironment) {
  ASSERT_EQ(SQLSetConnectAttr(hdbc_, SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
            SQL_SUCCESS);
  EXPECT_EQ(server_.Log().connection_options[SQL_AUTOCOMMIT].number, SQL_AUTOCOMMIT_OFF);
  SQLUINTEGER autocommit = 99;
  EXPECT_EQ(SQLGetConnectAttr(hdbc_, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(autocommit, SQL_AUTOCOMMIT_OFF);

  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, hdbc_, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, hdbc_, SQL_ROLLBACK), SQL_SUCCESS);
  // By environment the driver manager calls the driver once per connection
  // that has statements, with the connection's handle.
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, hdbc_, &hstmt), SQL_SUCCESS);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_ENV, henv_, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLTransact(henv_, SQL_NULL_HDBC, SQL_COMMIT), SQL_SUCCESS);
  velsrv::ScriptedLog log = server_.Log();
  EXPECT_EQ(log.commits, 3);
  EXPECT_EQ(log.rollbacks, 1);
}

TEST_F(DriverManagerOptionsTest, AttributesArriveWhole) {
  // A text attribute arrives as the address of the text.
  char catalog[] = "main";
  ASSERT_EQ(SQLSetConnectAttr(hdbc_, SQL_ATTR_CURRENT_CATALOG, catalog, SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(server_.Log().connection_options[SQL_CURRENT_QUALIFIER].text, "main");
  char read[256] = {};
  SQLINTEGER length = 0;
  EXPECT_TRUE(SQL_SUCCEEDED(
      SQLGetConnectAttr(hdbc_, SQL_ATTR_CURRENT_CATALOG, read, sizeof read, &length)));
  EXPECT_STREQ(read, "main");

  // Row counts are read back in all 64 bits of an SQLULEN.
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, hdbc_, &hstmt), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(hstmt, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(77), 0),
            SQL_SUCCESS);
  SQLULEN max_rows = ~SQLULEN{0};
  EXPECT_EQ(SQLGetStmtAttr(hstmt, SQL_ATTR_MAX_ROWS, &max_rows, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(max_rows, 77u);
  EXPECT_EQ(server_.Log().statement_options[SQL_MAX_ROWS], 77u);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, hstmt), SQL_SUCCESS);
}

}  // namespace

// The driver loaded the way applications meet it: through unixODBC's driver
// manager, registered in a private odbcinst.ini.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <fstream>
#include <string>

#include "testing/registry_sandbox.h"

namespace {

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

class DriverManagerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const testing_registry::Sandbox& sandbox = testing_registry::UseSandbox();
    std::ofstream(sandbox.odbc_sys_dir + "/odbcinst.ini")
        << "[VeltoTest]\nDescription=Driver under test\nDriver=" VEL_DRIVER_PATH "\n";
    std::ofstream(sandbox.odbc_sys_dir + "/odbc.ini") << "[VelDsn]\nDriver=VeltoTest\n";
  }
};

struct Diagnostic {
  std::string state;
  std::string text;
};

// One connect attempt as an application written for ODBC 3 makes it.
Diagnostic ConnectAsOdbc3() {
  Diagnostic got;
  SQLHENV henv = SQL_NULL_HENV;
  SQLHDBC hdbc = SQL_NULL_HDBC;
  EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv)));
  EXPECT_TRUE(SQL_SUCCEEDED(
      SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)));
  EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc)));
  EXPECT_EQ(SQLConnect(hdbc, Text("VelDsn"), SQL_NTS, Text("user"), SQL_NTS, Text("pw"), SQL_NTS),
            SQL_ERROR);
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_DBC, hdbc, 1, state, &native, text, sizeof text, &length),
            SQL_SUCCESS);
  got.state = reinterpret_cast<char*>(state);
  got.text = reinterpret_cast<char*>(text);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, hdbc), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, henv), SQL_SUCCESS);
  return got;
}

// The same with the ODBC 2 calls the driver itself implements.
Diagnostic ConnectAsOdbc2() {
  Diagnostic got;
  SQLHENV henv = SQL_NULL_HENV;
  SQLHDBC hdbc = SQL_NULL_HDBC;
  EXPECT_EQ(SQLAllocEnv(&henv), SQL_SUCCESS);
  EXPECT_EQ(SQLAllocConnect(henv, &hdbc), SQL_SUCCESS);
  EXPECT_EQ(SQLConnect(hdbc, Text("VelDsn"), SQL_NTS, nullptr, 0, nullptr, 0), SQL_ERROR);
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLError(henv, hdbc, SQL_NULL_HSTMT, state, &native, text, sizeof text, &length),
            SQL_SUCCESS);
  got.state = reinterpret_cast<char*>(state);
  got.text = reinterpret_cast<char*>(text);
  EXPECT_EQ(SQLError(henv, hdbc, SQL_NULL_HSTMT, state, &native, text, sizeof text, &length),
            SQL_NO_DATA_FOUND);
  EXPECT_EQ(SQLFreeConnect(hdbc), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeEnv(henv), SQL_SUCCESS);
  return got;
}

TEST_F(DriverManagerTest, ConnectWithoutAServerReportsCleanly) {
  struct Case {
    const char* name;
    Diagnostic (*connect)();
    const char* state;  // the driver manager maps states for ODBC 3 callers
  };
  const Case cases[] = {
      {"ODBC 3 application", ConnectAsOdbc3, "HY000"},
      {"ODBC 2 application", ConnectAsOdbc2, "S1000"},
  };
  // Twice each: the driver manager loads the driver and frees its
  // environment on every connect cycle.
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      Diagnostic got = c.connect();
      EXPECT_EQ(got.state, c.state) << c.name;
      EXPECT_NE(got.text.find("missing the 'ServerName=' entry"), std::string::npos)
          << c.name << ": " << got.text;
    }
  }
}

}  // namespace

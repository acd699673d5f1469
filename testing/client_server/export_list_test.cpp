// The built library: what it shows to the dynamic linker, and how it starts
// with and without its resource library.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "testing/temp_dir.h"

namespace {

std::string Command(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

void Copy(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  out << in.rdbuf();
}

TEST(DriverLibrary, ExportsExactlyTheOdbcTwoNamesTheToolExportsAndSqlDummy) {
  const std::set<std::string> expected = {
      "SQLAllocConnect",
      "SQLAllocEnv",
      "SQLAllocStmt",
      "SQLBindCol",
      "SQLCancel",
      "SQLColAttributes",
      "SQLConnect",
      "SQLDescribeCol",
      "SQLDisconnect",
      "SQLError",
      "SQLExecDirect",
      "SQLExecute",
      "SQLFetch",
      "SQLFreeConnect",
      "SQLFreeEnv",
      "SQLFreeStmt",
      "SQLGetCursorName",
      "SQLNumResultCols",
      "SQLPrepare",
      "SQLRowCount",
      "SQLSetCursorName",
      "SQLTransact",
      "SQLColumns",
      "SQLDriverConnect",
      "SQLGetConnectOption",
      "SQLGetData",
      "SQLGetFunctions",
      "SQLGetInfo",
      "SQLGetStmtOption",
      "SQLGetTypeInfo",
      "SQLParamData",
      "SQLPutData",
      "SQLSetConnectOption",
      "SQLSetStmtOption",
      "SQLSpecialColumns",
      "SQLStatistics",
      "SQLTables",
      "SQLBrowseConnect",
      "SQLColumnPrivileges",
      "SQLDescribeParam",
      "SQLForeignKeys",
      "SQLMoreResults",
      "SQLNumParams",
      "SQLPrimaryKeys",
      "SQLProcedureColumns",
      "SQLProcedures",
      "SQLTablePrivileges",
      "SQLBindParameter",
      "SQLDummy",
      "ConnectDlg",
      "_rpcLnaEnumUsersXP",
      "_rpcLnaKillConnectionsXP",
      "_rpcLnaShutdownXP",
      "_rpcServGetDataSources",
      "_rpcServGetServerList",
  };
  std::istringstream lines(Command("nm -D --defined-only " VEL_DRIVER_PATH));
  std::set<std::string> exported;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string address, type, name;
    fields >> address >> type >> name;
    if (!name.empty()) exported.insert(name);
  }
  EXPECT_EQ(exported, expected);
}

TEST(DriverLibrary, DoesNotLinkTheDriverManager) {
  std::string dynamic = Command("readelf -d " VEL_DRIVER_PATH);
  ASSERT_NE(dynamic.find("NEEDED"), std::string::npos);
  EXPECT_EQ(dynamic.find("[libodbc.so"), std::string::npos) << dynamic;
}

// The entry points of one loaded copy of the library.
struct Driver {
  explicit Driver(const std::string& path) {
    // The installer library, which the driver reads its settings through,
    // goes when the driver goes, while its cache of the files still holds
    // memory: kept resident, that memory stays reachable for the leak check.
    static void* const installer = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
    (void)installer;
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    alloc_env = reinterpret_cast<decltype(alloc_env)>(dlsym(handle, "SQLAllocEnv"));
    alloc_connect = reinterpret_cast<decltype(alloc_connect)>(dlsym(handle, "SQLAllocConnect"));
    connect = reinterpret_cast<decltype(connect)>(dlsym(handle, "SQLConnect"));
    error = reinterpret_cast<decltype(error)>(dlsym(handle, "SQLError"));
    free_connect = reinterpret_cast<decltype(free_connect)>(dlsym(handle, "SQLFreeConnect"));
    free_env = reinterpret_cast<decltype(free_env)>(dlsym(handle, "SQLFreeEnv"));
  }
  ~Driver() {
    if (handle != nullptr) dlclose(handle);
  }
  void* handle = nullptr;
  SQLRETURN (*alloc_env)(SQLHENV*) = nullptr;
  SQLRETURN (*alloc_connect)(SQLHENV, SQLHDBC*) = nullptr;
  SQLRETURN(*connect)
  (SQLHDBC, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) = nullptr;
  SQLRETURN(*error)
  (SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT,
   SQLSMALLINT*) = nullptr;
  SQLRETURN (*free_connect)(SQLHDBC) = nullptr;
  SQLRETURN (*free_env)(SQLHENV) = nullptr;
};

TEST(DriverLibrary, StartsWithItsResourceLibraryBesideIt) {
  // Loaded and unloaded twice: the second start must find the process as
  // the first left it.
  for (int round = 0; round < 2; ++round) {
    Driver driver(VEL_DRIVER_PATH);
    ASSERT_NE(driver.handle, nullptr) << dlerror();
    SQLHENV henv = SQL_NULL_HENV;
    ASSERT_EQ(driver.alloc_env(&henv), SQL_SUCCESS);
    SQLHDBC hdbc = SQL_NULL_HDBC;
    ASSERT_EQ(driver.alloc_connect(henv, &hdbc), SQL_SUCCESS);
    EXPECT_EQ(driver.connect(hdbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>("dsn")), SQL_NTS,
                             nullptr, 0, nullptr, 0),
              SQL_ERROR);
    SQLCHAR state[6] = {};
    SQLCHAR text[128] = {};
    SQLINTEGER native = -1;
    SQLSMALLINT length = 0;
    EXPECT_EQ(driver.error(henv, hdbc, SQL_NULL_HSTMT, state, &native, text, sizeof text, &length),
              SQL_SUCCESS);
    // A data source nobody defined has no server to log in to.
    EXPECT_STREQ(reinterpret_cast<char*>(state), "S1000");
    EXPECT_NE(std::string(reinterpret_cast<char*>(text)).find("'ServerName='"), std::string::npos)
        << text;
    EXPECT_EQ(driver.free_connect(hdbc), SQL_SUCCESS);
    EXPECT_EQ(driver.free_env(henv), SQL_SUCCESS);
  }
}

TEST(DriverLibrary, RefusesEveryCallWithoutItsResourceLibrary) {
  TempDir dir;
  std::string lonely = dir.Path("velclt32.so");
  Copy(VEL_DRIVER_PATH, lonely);
  {
    Driver driver(lonely);
    ASSERT_NE(driver.handle, nullptr) << dlerror();
    SQLHENV henv = reinterpret_cast<SQLHENV>(0x1);
    EXPECT_EQ(driver.alloc_env(&henv), SQL_INVALID_HANDLE);
    EXPECT_EQ(henv, nullptr);
    SQLHDBC hdbc = reinterpret_cast<SQLHDBC>(0x1);
    EXPECT_EQ(driver.alloc_connect(SQL_NULL_HENV, &hdbc), SQL_INVALID_HANDLE);
    EXPECT_EQ(hdbc, nullptr);
    EXPECT_EQ(driver.error(SQL_NULL_HENV, SQL_NULL_HDBC, SQL_NULL_HSTMT, nullptr, nullptr, nullptr,
                           0, nullptr),
              SQL_ERROR);
    EXPECT_EQ(driver.free_env(SQL_NULL_HENV), SQL_ERROR);
  }
  // With the resource library beside it, the same file starts once loaded
  // anew.
  Copy(VEL_RESOURCE_PATH, dir.Path("rsdriv32.so"));
  Driver driver(lonely);
  ASSERT_NE(driver.handle, nullptr) << dlerror();
  SQLHENV henv = SQL_NULL_HENV;
  ASSERT_EQ(driver.alloc_env(&henv), SQL_SUCCESS);
  EXPECT_EQ(driver.free_env(henv), SQL_SUCCESS);
}

}  // namespace

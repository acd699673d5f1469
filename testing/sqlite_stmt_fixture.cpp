#include "testing/sqlite_stmt_fixture.h"

#include <sqlext.h>

#include <memory>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/odbc_harness.h"

namespace {

std::unique_ptr<testing_odbc::OdbcHarness> g_harness;

}  // namespace

void SqliteStmtTest::StartServer(const char* dsn) {
  testing_odbc::HarnessPaths paths{VELSRV_PATH, "", VEL_SQLITE_ODBC_DRIVER, ""};
  g_harness = std::make_unique<testing_odbc::OdbcHarness>(paths, dsn);
  g_harness->ExportToThisProcess();
}

void SqliteStmtTest::StopServer() {
  g_harness.reset();
}

void SqliteStmtTest::Connect(const char* dsn) {
  ASSERT_TRUE(g_harness->ok()) << g_harness->error();
  ASSERT_EQ(SQLConnectImpl(f_.conn(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn)), SQL_NTS,
                           nullptr, 0, nullptr, 0),
            SQL_SUCCESS)
      << testing::PrintToString(f_.States());
  SQLHSTMT handle = nullptr;
  ASSERT_EQ(SQLAllocStmtImpl(f_.conn(), &handle), SQL_SUCCESS);
  s_ = static_cast<DrvStmt*>(handle);
}

void SqliteStmtTest::TearDown() {
  if (s_ != nullptr) SQLFreeStmtImpl(s_, SQL_DROP);
  SQLDisconnectImpl(f_.conn());
}

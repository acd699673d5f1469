// SQLTransact against the server: commit, rollback, and the refusals.
#include "driver/odbc/options/transact.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/server_conn_support.h"

namespace {

class TransactTest : public ::testing::Test {
 protected:
  // A login left open would outlive the call layer's records.
  void TearDown() override {
    if (conn()->state >= kConnConnected) {
      EXPECT_NE(SQLDisconnectImpl(conn()), SQL_ERROR);
    }
  }

  DrvConn* conn() const { return fixture_.conn(); }

  ConnFixture fixture_;
  ServerFixture server_;
};

TEST_F(TransactTest, CommitAndRollbackReachTheServer) {
  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS);
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
  struct Case {
    SQLUSMALLINT type;
    int commits;
    int rollbacks;
  } const cases[] = {
      {SQL_COMMIT, 1, 0}, {SQL_ROLLBACK, 1, 1}, {7, 1, 2},  // anything but a commit rolls back
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    conn()->state = kConnInTransaction;
    EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, conn(), c.type), SQL_SUCCESS);
    EXPECT_EQ(conn()->state, kConnConnected);
    EXPECT_EQ(server_.Log().commits, c.commits);
    EXPECT_EQ(server_.Log().rollbacks, c.rollbacks);
  }
  // With a statement the connection goes back to its with-statements state.
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocStmtImpl(conn(), &hstmt), SQL_SUCCESS);
  conn()->state = kConnInTransaction;
  EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, conn(), SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(conn()->state, kConnWithStmts);
}

TEST_F(TransactTest, RefusedWithoutAConnection) {
  EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, conn(), SQL_COMMIT), SQL_ERROR);
  EXPECT_EQ(fixture_.States(), std::vector<std::string>{"08003"});
  EXPECT_EQ(conn()->state, kConnAllocated);

  // Only the driver manager ends the work of a whole environment.
  EXPECT_EQ(SQLTransactImpl(fixture_.env(), SQL_NULL_HDBC, SQL_COMMIT), SQL_ERROR);
  SQLCHAR state[6] = {};
  EXPECT_TRUE(SQL_SUCCEEDED(
      SQLErrorImpl(fixture_.env(), nullptr, nullptr, state, nullptr, nullptr, 0, nullptr)));
  EXPECT_STREQ(reinterpret_cast<char*>(state), "S1C00");
  EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, SQL_NULL_HDBC, SQL_COMMIT), SQL_INVALID_HANDLE);
  EXPECT_EQ(server_.Log().commits + server_.Log().rollbacks, 0);
}

}  // namespace

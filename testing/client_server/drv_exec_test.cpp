// Statements through the driver's workers against a velsrv on loopback:
// the state each prepare, execution, cancel and close leaves, and the
// description of what a query returns.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/statement/cursor_name.h"
#include "driver/odbc/statement/row_count.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/sqlite_stmt_fixture.h"

namespace {

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

std::string FirstState(DrvStmt* s) {
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  if (SQLErrorImpl(nullptr, nullptr, s, state, nullptr, text, sizeof text, nullptr) ==
      SQL_NO_DATA_FOUND)
    return "";
  std::string first = reinterpret_cast<char*>(state);
  while (SQLErrorImpl(nullptr, nullptr, s, state, nullptr, text, sizeof text, nullptr) !=
         SQL_NO_DATA_FOUND) {
  }
  return first;
}

class DrvExecTest : public SqliteStmtTest {
 protected:
  static void SetUpTestSuite() { StartServer("VelExec"); }
  static void TearDownTestSuite() { StopServer(); }
  void SetUp() override {
    Connect("VelExec");
    if (HasFatalFailure()) return;
    // A server that runs no statements yet answers every one "not capable".
    SQLRETURN probe = SQLExecDirectImpl(s_, Text("select 1"), SQL_NTS);
    std::string state = FirstState(s_);
    if (probe == SQL_ERROR && (state == "S1C00" || state == "IM001"))
      GTEST_SKIP() << "the server does not run statements";
    ASSERT_EQ(probe, SQL_SUCCESS) << state;
    ASSERT_EQ(SQLFreeStmtImpl(s_, SQL_CLOSE), SQL_SUCCESS);
  }
};

TEST_F(DrvExecTest, StateTransitions) {
  enum Action { kPrepare, kExecute, kDirect, kCancel, kClose };
  struct Step {
    Action action;
    const char* text;
    SQLRETURN want;
    const char* sqlstate;  // the first diagnostic, "" for none
    uint16_t state;
    uint16_t result_class;
    uint32_t prepared;
    SQLLEN row_count;
  };
  const Step steps[] = {
      {kPrepare, "create table t (a integer, b varchar(20))", SQL_SUCCESS, "", kStmtPrepared,
       kResultNone, 1, 0},
      {kExecute, nullptr, SQL_SUCCESS, "", kStmtExecuted, kResultNone, 1, 0},
      // Run again, the table exists: the server's error, the state kept.
      {kExecute, nullptr, SQL_ERROR, "S1000", kStmtExecuted, kResultNone, 1, 0},
      {kDirect, "insert into t values (1, 'one')", SQL_SUCCESS, "", kStmtExecuted, kResultNone, 0,
       1},
      {kExecute, nullptr, SQL_ERROR, "S1010", kStmtExecuted, kResultNone, 0, 1},
      {kDirect, "insert into t select a + 1, b from t", SQL_SUCCESS, "", kStmtExecuted, kResultNone,
       0, 1},
      {kDirect, "  sElEcT a, b from t", SQL_SUCCESS, "", kStmtResultOpen, kResultRows, 0, -1},
      {kExecute, nullptr, SQL_ERROR, "24000", kStmtResultOpen, kResultRows, 0, -1},
      {kPrepare, "select a from t", SQL_ERROR, "24000", kStmtResultOpen, kResultRows, 0, -1},
      {kClose, nullptr, SQL_SUCCESS, "", kStmtAllocated, kResultRows, 0, -1},
      {kPrepare, "select b from t where a = 1", SQL_SUCCESS, "", kStmtPrepared, kResultRows, 1, -1},
      {kExecute, nullptr, SQL_SUCCESS, "", kStmtResultOpen, kResultRows, 1, -1},
      {kCancel, nullptr, SQL_SUCCESS, "", kStmtPrepared, kResultRows, 1, -1},
      {kDirect, "select * from nosuch", SQL_ERROR, "S1000", kStmtPrepared, kResultRows, 1, -1},
      {kDirect, "delete from t", SQL_SUCCESS, "", kStmtExecuted, kResultNone, 0, 2},
      {kDirect, "drop table t", SQL_SUCCESS, "", kStmtExecuted, kResultNone, 0, 0},
  };
  int n = 0;
  for (const Step& step : steps) {
    ++n;
    SQLRETURN got = SQL_ERROR;
    switch (step.action) {
      case kPrepare:
        got = SQLPrepareImpl(s_, Text(step.text), SQL_NTS);
        break;
      case kExecute:
        got = SQLExecuteImpl(s_);
        break;
      case kDirect:
        got = SQLExecDirectImpl(s_, Text(step.text), SQL_NTS);
        break;
      case kCancel:
        got = SQLCancelImpl(s_);
        break;
      case kClose:
        got = SQLFreeStmtImpl(s_, SQL_CLOSE);
        break;
    }
    EXPECT_EQ(got, step.want) << "step " << n;
    EXPECT_EQ(FirstState(s_), step.sqlstate) << "step " << n;
    EXPECT_EQ(s_->state, step.state) << "step " << n;
    EXPECT_EQ(s_->result_class, step.result_class) << "step " << n;
    EXPECT_EQ(s_->prepared, step.prepared) << "step " << n;
    SQLLEN rows = 99;
    EXPECT_EQ(SQLRowCountImpl(s_, &rows), SQL_SUCCESS);
    if (step.state != kStmtAllocated && step.state != kStmtPrepared) {
      EXPECT_EQ(rows, step.row_count) << "step " << n;
    }
    if (step.state == kStmtResultOpen) {
      char name[32] = {};
      EXPECT_EQ(SQLGetCursorNameImpl(s_, reinterpret_cast<SQLCHAR*>(name), sizeof name, nullptr),
                SQL_SUCCESS);
      EXPECT_EQ(std::string(name).rfind("SQL_CUR", 0), 0u) << name;
    }
  }
  // Autocommit is on: each execution leaves no transaction open.
  EXPECT_EQ(f_.conn()->state, kConnConnected);
}

TEST_F(DrvExecTest, DescribesAQuery) {
  ASSERT_EQ(SQLExecDirectImpl(s_,
                              Text("create table d (i integer not null, r real, t text, "
                                   "v varchar(30), n numeric(10,2), b blob, ts timestamp)"),
                              SQL_NTS),
            SQL_SUCCESS);
  std::string alias(64, 'x');
  std::string query = "select i, r, t, v, n, b, ts, i + 1 as " + alias + " from d";
  ASSERT_EQ(SQLPrepareImpl(s_, Text(query.c_str()), SQL_NTS), SQL_SUCCESS);
  SQLSMALLINT count = 0;
  EXPECT_EQ(SQLNumResultColsImpl(s_, &count), SQL_SUCCESS);
  ASSERT_EQ(count, 8);
  const char* names[] = {"i", "r", "t", "v", "n", "b", "ts"};
  for (SQLUSMALLINT i = 1; i <= 7; ++i) {
    char name[80] = {};
    SQLSMALLINT type = 0;
    SQLULEN size = ~SQLULEN{0};
    EXPECT_EQ(SQLDescribeColImpl(s_, i, reinterpret_cast<SQLCHAR*>(name), sizeof name, nullptr,
                                 &type, &size, nullptr, nullptr),
              SQL_SUCCESS)
        << i;
    EXPECT_STREQ(name, names[i - 1]);
    EXPECT_NE(type, 0) << i;
    EXPECT_LT(size, SQLULEN{1} << 32) << i;  // the whole word, not a half left over
    char type_name[64] = {};
    EXPECT_TRUE(SQL_SUCCEEDED(SQLColAttributesImpl(s_, i, SQL_COLUMN_TYPE_NAME, type_name,
                                                   sizeof type_name, nullptr, nullptr)));
    EXPECT_NE(type_name[0], '\0') << i;
  }
  char name[80] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLDescribeColImpl(s_, 8, reinterpret_cast<SQLCHAR*>(name), sizeof name, &length,
                               nullptr, nullptr, nullptr, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(name, alias);
  EXPECT_EQ(length, 64);
  EXPECT_EQ(SQLExecuteImpl(s_), SQL_SUCCESS);
  EXPECT_EQ(s_->state, kStmtResultOpen);
  EXPECT_EQ(SQLMoreResultsImpl(s_), SQL_NO_DATA_FOUND);
  EXPECT_EQ(s_->state, kStmtPrepared);
  EXPECT_EQ(SQLExecDirectImpl(s_, Text("drop table d"), SQL_NTS), SQL_SUCCESS);
}

}  // namespace

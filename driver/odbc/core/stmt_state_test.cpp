// The statement state machine's shared steps.
#include "driver/odbc/core/stmt_state.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include "common/pool.h"
#include "common/rec_array.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"

namespace {

DrvStmt Executed() {
  DrvStmt s{};
  s.state = kStmtOnRow;
  s.result_class = kResultRows;
  s.result_kind = 1;
  s.prepared = 1;
  s.marker_count = 2;
  s.row_count = 7;
  s.fetch_status = 0;
  return s;
}

TEST(StmtStateTest, FailuresPutTheSnapshotBack) {
  const SQLRETURN keeps[] = {SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_STILL_EXECUTING,
                             SQL_NEED_DATA};
  const SQLRETURN restores[] = {SQL_ERROR, SQL_INVALID_HANDLE, SQL_NO_DATA_FOUND};
  for (SQLRETURN code : keeps) {
    DrvStmt s = Executed();
    StmtSnapshot snapshot;
    StmtSaveState(&snapshot, &s);
    s.state = kStmtExecuted;
    s.row_count = 1;
    StmtRestoreState(&snapshot, &s, code);
    EXPECT_EQ(s.state, kStmtExecuted) << code;
    EXPECT_EQ(s.row_count, 1u) << code;
  }
  for (SQLRETURN code : restores) {
    DrvStmt s = Executed();
    StmtSnapshot snapshot;
    StmtSaveState(&snapshot, &s);
    s.state = kStmtAllocated;
    s.result_class = kResultNone;
    s.result_kind = 0;
    s.prepared = 0;
    s.marker_count = 0;
    s.row_count = 0;
    s.fetch_status = 2;
    s.pending = 1;  // not part of what is put back
    StmtRestoreState(&snapshot, &s, code);
    DrvStmt want = Executed();
    EXPECT_EQ(s.state, want.state) << code;
    EXPECT_EQ(s.result_class, want.result_class) << code;
    EXPECT_EQ(s.result_kind, want.result_kind) << code;
    EXPECT_EQ(s.prepared, want.prepared) << code;
    EXPECT_EQ(s.marker_count, want.marker_count) << code;
    EXPECT_EQ(s.row_count, want.row_count) << code;
    EXPECT_EQ(s.fetch_status, want.fetch_status) << code;
    EXPECT_EQ(s.pending, 1u) << code;
  }
}

TEST(StmtStateTest, ResetFetchStateGoesBackToPreparedOrAllocated) {
  struct Case {
    uint16_t state;
    uint32_t prepared;
    uint16_t want;
  };
  const Case cases[] = {
      {kStmtAllocated, 0, kStmtAllocated}, {kStmtPrepared, 1, kStmtPrepared},
      {kStmtExecuted, 1, kStmtPrepared},   {kStmtResultOpen, 0, kStmtAllocated},
      {kStmtOnRow, 1, kStmtPrepared},      {kStmtOnRow, 0, kStmtAllocated},
  };
  for (const Case& c : cases) {
    DrvStmt s{};
    s.state = c.state;
    s.prepared = c.prepared;
    s.row_count = 5;
    s.fetch_status = 2;
    StmtResetFetchState(&s);
    EXPECT_EQ(s.state, c.want) << c.state << "/" << c.prepared;
    EXPECT_EQ(s.row_count, 0u);
    EXPECT_EQ(s.fetch_status, 0u);
  }
}

TEST(StmtStateTest, AsyncFollowsTheOption) {
  DrvStmt s{};
  EXPECT_FALSE(StmtIsAsync(&s));
  s.options.slot[kOptAsyncEnable] = SQL_ASYNC_ENABLE_ON;
  EXPECT_TRUE(StmtIsAsync(&s));
}

TEST(ConnHasPendingAsyncCall, OnlyAsyncStatementsWithAPendingCall) {
  PoolTableInit();
  DrvConn connection = {};
  connection.statements = ArrCreate(4, sizeof(DrvStmt*), 1, 0);
  ASSERT_NE(connection.statements, nullptr);
  DrvStmt sync_pending = {};
  sync_pending.pending_function = 11;
  DrvStmt async_idle = {};
  async_idle.options.slot[kOptAsyncEnable] = 1;
  DrvStmt async_pending = {};
  async_pending.options.slot[kOptAsyncEnable] = 1;
  async_pending.pending_function = 13;

  EXPECT_EQ(ConnHasPendingAsyncCall(&connection), 0);
  for (DrvStmt* statement : {&sync_pending, &async_idle}) {
    ASSERT_EQ(ArrAppend(connection.statements, &statement), kArrOk);
  }
  EXPECT_EQ(ConnHasPendingAsyncCall(&connection), 0);
  DrvStmt* pending = &async_pending;
  ASSERT_EQ(ArrAppend(connection.statements, &pending), kArrOk);
  EXPECT_EQ(ConnHasPendingAsyncCall(&connection), 1);
  ArrDestroy(connection.statements);
  PoolTableTerm();
}

}  // namespace

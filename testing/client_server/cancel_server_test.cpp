// Cancelling against a velsrv on loopback in front of SQLite and of a
// private PostgreSQL: SQLCancel from a second thread ends a statement that
// would run for minutes, and so does a query timeout, after which the
// connection goes on serving.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "driver/lna/lna_records.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/options/stmt_options_api.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/scripted_peer.h"
#include "testing/server_backends.h"

namespace {

struct Database {
  const char* dsn;
  const char* uid;
  const char* endless;  // a statement that runs for minutes
};
const Database kSqlite{"VelCancelLite", "ann",
                       "with recursive c(x) as (select 1 union all select x + 1 from c where x < "
                       "20000000000) select count(*) from c"};
const Database kPostgres{"VelCancelPg", "postgres", "select pg_sleep(600)"};

ServerBackends* const g_servers = AddServerBackends(kSqlite.dsn, kPostgres.dsn);

class CancelTest : public ::testing::TestWithParam<const Database*> {
 protected:
  void SetUp() override { g_servers->Require(GetParam()->dsn); }
};

SQLRETURN RunOne(ServerSession& s, const char* sql) {
  SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
  return SQLExecDirectImpl(s.stmt(), Text(sql), SQL_NTS);
}

TEST_P(CancelTest, SQLCancelFromAnotherThreadEndsTheStatement) {
  ServerSession s(GetParam()->dsn, GetParam()->uid);
  ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
  std::atomic<bool> done{false};
  // Cancels until the statement has ended: the first cancel may come
  // before the statement reached the server.
  std::thread canceller([&] {
    while (!done.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      if (!done.load()) {
        EXPECT_EQ(SQLCancelImpl(s.stmt()), SQL_SUCCESS);
      }
    }
  });
  SQLRETURN rc = RunOne(s, GetParam()->endless);
  done = true;
  canceller.join();
  EXPECT_EQ(rc, SQL_ERROR);
  s.Messages();
  EXPECT_EQ(RunOne(s, "select 1"), SQL_SUCCESS) << testing::PrintToString(s.Messages());
}

// A cancel whose own connection cannot reach the server fails within the
// connection's wait and says why; the statement runs on until a cancel
// that is delivered ends it.
TEST_P(CancelTest, ACancelThatCannotReachTheServerFailsAndSaysWhy) {
  ServerSession s(GetParam()->dsn, GetParam()->uid);
  ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
  LnaConnection* lna = s.conn()->lna;
  lna->call_wait_ms = 1000;  // as a login timeout of 1 s leaves it
  SQLRETURN rc = SQL_SUCCESS;
  std::thread running([&] { rc = RunOne(s, GetParam()->endless); });
  while (!LnaStmtInCall(s.stmt()->lna)) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  char server[kLnaServerNameSize];
  std::memcpy(server, lna->server_name, sizeof server);
  const std::string refused = "127.0.0.1:" + std::to_string(testing_peer::UnusedLoopbackPort());
  std::snprintf(lna->server_name, sizeof lna->server_name, "%s", refused.c_str());
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SQLCancelImpl(s.stmt()), SQL_ERROR);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));  // 5.1 s before
  std::vector<std::string> why = s.Messages();
  ASSERT_EQ(why.size(), 1u);
  EXPECT_EQ(why[0].substr(0, 6), "08S01:") << why[0];
  EXPECT_NE(why[0].find("not running at the specified port"), std::string::npos) << why[0];
  EXPECT_TRUE(LnaStmtInCall(s.stmt()->lna));

  std::memcpy(lna->server_name, server, sizeof server);
  while (LnaStmtInCall(s.stmt()->lna)) {
    SQLCancelImpl(s.stmt());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  running.join();
  EXPECT_EQ(rc, SQL_ERROR);
  s.Messages();
  EXPECT_EQ(RunOne(s, "select 1"), SQL_SUCCESS) << testing::PrintToString(s.Messages());
}

TEST_P(CancelTest, AQueryTimeoutEndsTheStatement) {
  ServerSession s(GetParam()->dsn, GetParam()->uid);
  ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
  ASSERT_EQ(SQLSetStmtOptionImpl(s.stmt(), SQL_QUERY_TIMEOUT, 1), SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  EXPECT_EQ(RunOne(s, GetParam()->endless), SQL_ERROR);
  std::vector<std::string> messages = s.Messages();
  ASSERT_FALSE(messages.empty());
  // The driver's own timer says S1T00; a backend that was handed the same
  // timeout (PostgreSQL's statement_timeout) may end the statement first
  // and say so in its own words. Either way the timeout ended it.
  const std::string state = messages.front().substr(0, 5);
  EXPECT_TRUE(state == "S1T00" || (GetParam() == &kPostgres && state == "57014"))
      << testing::PrintToString(messages);
  EXPECT_EQ(RunOne(s, "select 1"), SQL_SUCCESS) << testing::PrintToString(s.Messages());
}

INSTANTIATE_TEST_SUITE_P(Databases, CancelTest, ::testing::Values(&kSqlite, &kPostgres),
                         [](const auto& info) {
                           return std::string(info.param == &kSqlite ? "sqlite" : "postgres");
                         });

}  // namespace

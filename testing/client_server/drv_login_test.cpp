// A login through the driver's workers against a velsrv on loopback: what
// the connection keeps of the reply, the login's trace line, and the way
// back to an empty handle.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/rec_array.h"
#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/odbc_harness.h"
#include "testing/scripted_peer.h"
#include "testing/temp_dir.h"

namespace {

testing_odbc::OdbcHarness* g_harness = nullptr;

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

class DrvLoginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_odbc::HarnessPaths paths{VELSRV_PATH, "", VEL_SQLITE_ODBC_DRIVER, ""};
    g_harness = new testing_odbc::OdbcHarness(paths, "VelLogin");
    g_harness->ExportToThisProcess();
  }
  static void TearDownTestSuite() {
    delete g_harness;
    g_harness = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(g_harness->ok()) << g_harness->error(); }
};

// LoginTimeout given in the connection string bounds the login against a
// server that accepts and never answers, with or without a data source,
// and wins over the section's own.
TEST_F(DrvLoginTest, TheConnectionStringsLoginTimeoutBoundsTheLogin) {
  using namespace testing_peer;
  g_harness->AddDsn("VelPatient", {"LoginTimeout=30"});
  Script silent = {Greet(), ExpectRequest(), SilentUntilHangUp(8000)};
  ScriptedPeer peer({silent, silent});
  const std::string texts[] = {
      "DRIVER=VeltoClient;ServerName=" + peer.address() + ";ServerDSN=x;LoginTimeout=1",
      "DSN=VelPatient;ServerName=" + peer.address() + ";LoginTimeout=1",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    ConnFixture f;
    char out[512];
    SQLSMALLINT length = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SQLDriverConnectImpl(f.conn(), nullptr, Text(text.c_str()), SQL_NTS,
                                   reinterpret_cast<SQLCHAR*>(out), sizeof out, &length,
                                   SQL_DRIVER_NOPROMPT),
              SQL_ERROR);
    // The default wait is 30 s.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_EQ(f.States(), std::vector<std::string>{"S1T00"});
  }
  EXPECT_EQ(peer.accepted(), 2);
}

TEST_F(DrvLoginTest, TheConnectionKeepsWhatTheServerAnswered) {
  ConnFixture f;
  DrvConn* c = f.conn();
  ASSERT_EQ(SQLConnectImpl(c, Text("VelLogin"), SQL_NTS, Text("ann"), SQL_NTS, nullptr, 0),
            SQL_SUCCESS)
      << testing::PrintToString(f.States());
  EXPECT_EQ(c->state, kConnConnected);
  EXPECT_STREQ(c->server_info.dbms_name, "SQLite");
  EXPECT_EQ(c->packet_size, 8192u);  // ArrayBufferSize's default of 8 KiB
  EXPECT_EQ(c->autocommit, 1u);
  // The server's types come first, then whatever base type it lacked.
  EXPECT_GT(c->server_type_count, 0u);
  EXPECT_GE(c->type_count, c->server_type_count);
  for (int16_t base : {SQL_VARCHAR, SQL_CHAR, SQL_INTEGER, SQL_SMALLINT})
    EXPECT_TRUE(ServerHasType(c, base)) << base;
  ASSERT_GT(c->table_type_count, 0u);
  EXPECT_STREQ(c->table_types[0].name, "TABLE");
  EXPECT_EQ(c->functions[SQL_API_SQLALLOCSTMT], SQL_TRUE);
  EXPECT_EQ(c->functions[SQL_API_SQLEXECDIRECT], SQL_TRUE);
  EXPECT_EQ(c->functions[SQL_API_SQLSETPARAM], SQL_FALSE);
  EXPECT_EQ(c->stmt_defaults.slot[kOptRowsetSize], 1u);
  const uint32_t default_keywords = kDefaultKeywordCount;
  EXPECT_GE(c->keyword_count, default_keywords);

  // Statements raise the connection's state, and dropping the last lowers
  // it again with a fresh list.
  SQLHSTMT first = nullptr;
  SQLHSTMT second = nullptr;
  ASSERT_EQ(SQLAllocStmtImpl(c, &first), SQL_SUCCESS);
  ASSERT_EQ(SQLAllocStmtImpl(c, &second), SQL_SUCCESS);
  EXPECT_EQ(c->state, kConnWithStmts);
  auto* s = static_cast<DrvStmt*>(first);
  EXPECT_EQ(s->state, kStmtAllocated);
  EXPECT_EQ(s->param_row_count, 1u);
  EXPECT_EQ(s->options.slot[kOptRowsetSize], c->stmt_defaults.slot[kOptRowsetSize]);
  EXPECT_EQ(SQLFreeStmtImpl(first, 7), SQL_SUCCESS);  // no such option: nothing happens
  EXPECT_EQ(SQLFreeStmtImpl(first, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(c->state, kConnWithStmts);
  EXPECT_EQ(SQLFreeStmtImpl(second, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(c->state, kConnConnected);
  EXPECT_EQ(ArrCount(c->statements), 0u);

  ASSERT_EQ(SQLDisconnectImpl(c), SQL_SUCCESS);
  EXPECT_EQ(c->state, kConnAllocated);
  EXPECT_EQ(c->keyword_count, default_keywords);  // what the reply added is gone
  EXPECT_EQ(c->type_count, 0u);
  EXPECT_EQ(c->pool_id, 0);
}

TEST_F(DrvLoginTest, StatementsAreDroppedAtDisconnectAndAnOpenTransactionRefusesIt) {
  ConnFixture f;
  DrvConn* c = f.conn();
  ASSERT_EQ(SQLConnectImpl(c, Text("VelLogin"), SQL_NTS, nullptr, 0, nullptr, 0), SQL_SUCCESS);
  SQLHSTMT statement = nullptr;
  ASSERT_EQ(SQLAllocStmtImpl(c, &statement), SQL_SUCCESS);
  c->state = kConnInTransaction;
  EXPECT_EQ(SQLDisconnectImpl(c), SQL_ERROR);
  EXPECT_EQ(f.States(), std::vector<std::string>{"25000"});
  EXPECT_EQ(c->state, kConnInTransaction);
  c->state = kConnWithStmts;
  EXPECT_EQ(SQLDisconnectImpl(c), SQL_SUCCESS);
  EXPECT_EQ(ArrCount(c->statements), 0u);
  // A handle that never connected disconnects quietly.
  EXPECT_EQ(SQLDisconnectImpl(c), SQL_SUCCESS);
}

TEST_F(DrvLoginTest, TheConnectTraceMasksThePassword) {
  TempDir dir;
  std::string trace = dir.Path("connect.log");
  g_harness->AddDsn("VelLoginTraced", {"OdbcTrace=1", "TraceOutput=" + trace});
  ConnFixture f;
  ASSERT_EQ(SQLConnectImpl(f.conn(), Text("VelLoginTraced"), SQL_NTS, Text("ann"), SQL_NTS,
                           Text("secret"), SQL_NTS),
            SQL_SUCCESS);
  ASSERT_EQ(SQLDisconnectImpl(f.conn()), SQL_SUCCESS);
  std::ifstream in(trace);
  std::stringstream text;
  text << in.rdbuf();
  std::string log = text.str();
  EXPECT_NE(log.find("\"VelLoginTraced\", -3, \"ann\", -3, \"******\", -3)"), std::string::npos)
      << log;
  EXPECT_EQ(log.find("secret"), std::string::npos) << log;
  EXPECT_NE(log.find("SQLDisconnect returned 0."), std::string::npos) << log;
}

}  // namespace

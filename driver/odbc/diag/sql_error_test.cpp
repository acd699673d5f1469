#include "driver/odbc/diag/sql_error.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/memory.h"
#include "common/messages.h"
#include "common/pool.h"
#include "common/profile.h"
#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/drv_message_table.h"
#include "driver/odbc/diag/drv_messages.h"
#include "testing/registry_sandbox.h"
#include "testing/temp_dir.h"
#include "testing/test_env.h"

namespace {

struct Got {
  SQLRETURN result;
  std::string state;
  SQLINTEGER native;
  std::string text;
  SQLSMALLINT length;
};

class SqlErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PoolTableInit();
    ASSERT_EQ(DrvLoadMessages(), 1);
    env_.diagnostics = CreateDiagList();
    connection_.diagnostics = CreateDiagList();
    statement_.diagnostics = CreateDiagList();
    statement_.conn = &connection_;
  }
  void TearDown() override {
    MemFailAfter(0);
    DestroyDiagList(env_.diagnostics);
    DestroyDiagList(connection_.diagnostics);
    DestroyDiagList(statement_.diagnostics);
    DrvReleaseMessages();
    PoolTableTerm();
  }

  static Got Ask(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLSMALLINT size = 256) {
    SQLCHAR state[6];
    std::memset(state, '#', sizeof state);
    state[5] = '\0';
    SQLCHAR text[1100];
    std::memset(text, '#', sizeof text);
    text[sizeof text - 1] = '\0';
    Got got;
    got.native = -12345;
    got.length = -1;
    got.result = SQLErrorImpl(henv, hdbc, hstmt, state, &got.native, text, size, &got.length);
    got.state = reinterpret_cast<char*>(state);
    got.text = reinterpret_cast<char*>(text);
    return got;
  }
  Got AskConnection(SQLSMALLINT size = 256) { return Ask(nullptr, &connection_, nullptr, size); }

  DrvEnv env_ = {};
  DrvConn connection_ = {};
  DrvStmt statement_ = {};
};

TEST_F(SqlErrorTest, NothingListedIsNoData) {
  const SQLHANDLE handles[][3] = {
      {nullptr, nullptr, nullptr},
      {&env_, nullptr, nullptr},
      {nullptr, &connection_, nullptr},
      {nullptr, nullptr, &statement_},
  };
  for (const auto& h : handles) {
    Got got = Ask(h[0], h[1], h[2]);
    EXPECT_EQ(got.result, SQL_NO_DATA_FOUND);
    EXPECT_EQ(got.state, "00000");
    EXPECT_EQ(got.native, 0);
    EXPECT_EQ(got.text, "");
    EXPECT_EQ(got.length, 0);
  }
}

TEST_F(SqlErrorTest, RecordsDrainOnePerCallInPostingOrder) {
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  ASSERT_EQ(PostDbcStateError(&connection_, "S0002", 208, "Invalid object name 't'."), 0);
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  // A record by number with other words, as the disconnect posts it.
  ASSERT_EQ(PostDbcError(&connection_, 5135, 0,
                         "Could not free all the statements associated with this connection"),
            0);
  ASSERT_EQ(PostDbcError(&connection_, 5160, 17, nullptr), 0);
  struct Expected {
    SQLRETURN result;
    const char* state;
    SQLINTEGER native;
    const char* text;
  };
  const Expected expected[] = {
      {SQL_SUCCESS, "S1001", 0, "Memory allocation error."},
      {SQL_SUCCESS, "S0002", 208, "Invalid object name 't'."},
      {SQL_SUCCESS, "S1001", 0, "Memory allocation error."},
      {SQL_SUCCESS, "S1000", 0,
       "Could not free all the statements associated with this connection"},
      {SQL_SUCCESS, "S1C00", 17, "Driver not capable."},
      {SQL_NO_DATA_FOUND, "00000", 0, ""},
  };
  for (const Expected& e : expected) {
    Got got = AskConnection();
    EXPECT_EQ(got.result, e.result) << e.text;
    EXPECT_EQ(got.state, e.state) << e.text;
    EXPECT_EQ(got.native, e.native) << e.text;
    EXPECT_EQ(got.text, e.text);
    EXPECT_EQ(got.length, static_cast<SQLSMALLINT>(std::strlen(e.text)));
  }
}

TEST_F(SqlErrorTest, TheStatementComesFirstThenTheConnection) {
  ASSERT_EQ(PostEnvError(&env_, 5144, 0, nullptr), 0);
  ASSERT_EQ(PostDbcError(&connection_, 5109, 0, nullptr), 0);
  ASSERT_EQ(PostStmtError(&statement_, 5120, 0, nullptr), 0);
  EXPECT_EQ(Ask(&env_, &connection_, &statement_).state, "24000");
  EXPECT_EQ(Ask(&env_, &connection_, &statement_).result, SQL_NO_DATA_FOUND);
  EXPECT_EQ(Ask(&env_, &connection_, nullptr).state, "08003");
  EXPECT_EQ(Ask(&env_, nullptr, nullptr).state, "S1010");
}

TEST_F(SqlErrorTest, ShortBuffersCutTheTextAndStillRemoveTheRecord) {
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  Got got = AskConnection(7);
  EXPECT_EQ(got.result, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(got.text, "Memory");
  EXPECT_EQ(got.length, 24);
  EXPECT_EQ(got.state, "S1001");
  EXPECT_EQ(connection_.diagnostics->count, 1u);

  // No output at all: the record goes without anything copied.
  EXPECT_EQ(SQLErrorImpl(nullptr, &connection_, nullptr, nullptr, nullptr, nullptr, 0, nullptr),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(connection_.diagnostics->count, 0u);
}

TEST_F(SqlErrorTest, TextsAreBoundedByTheWorkBuffer) {
  std::string server(1500, 'z');
  ASSERT_EQ(PostDbcStateError(&connection_, "HY000", 5, server.c_str()), 0);
  Got got = AskConnection(1100);
  EXPECT_EQ(got.result, SQL_SUCCESS_WITH_INFO);  // the cut at 1,024 counts
  EXPECT_EQ(got.text, std::string(1024, 'z'));
  EXPECT_EQ(got.length, 1024);
}

TEST_F(SqlErrorTest, OverflowAndFailuresKeepTheRecords) {
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  connection_.diag_overflow = 1;
  EXPECT_EQ(AskConnection().result, SQL_ERROR);
  EXPECT_EQ(connection_.diagnostics->count, 1u);
  connection_.diag_overflow = 0;

  for (long n = 1; n <= 5; ++n) {  // the work buffer and the four messages
    MemFailAfter(n);
    EXPECT_EQ(AskConnection().result, SQL_ERROR) << "allocation " << n;
    MemFailAfter(0);
    EXPECT_EQ(connection_.diagnostics->count, 1u);
  }
  EXPECT_EQ(AskConnection().result, SQL_SUCCESS);
}

TEST_F(SqlErrorTest, TheVendorPrefixComesFromTheMessageFile) {
  TempDir dir;
  std::string file = dir.Write("velclient_messages.xml", R"(<?xml version="1.0"?>
<MESSAGES>
  <S id="VEL_ERR_VENDOR_STR">[Velto]</S>
  <S id="VEL_ERR_PRODUCT_STR">[Client]</S>
  <S id="VEL_ERR_SOURCE_STR">[Server]</S>
  <S id="VEL__ERR_GENERIC">S1000General error.</S>
  <S id="VEL__ERR_OUT_OF_MEMORY">S1001Kein Speicher.</S>
</MESSAGES>
)");
  DrvReleaseMessages();
  ASSERT_EQ(MsgLoadCatalog(kDrvMessages, file.c_str(), kMsgPathAsGiven, nullptr), 1);
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  ASSERT_EQ(PostDbcStateError(&connection_, "42S02", 208, "no table"), 0);
  EXPECT_EQ(AskConnection().text, "[Velto][Client]Kein Speicher.");
  Got got = AskConnection();
  EXPECT_EQ(got.text, "[Velto][Client][Server]no table");
  EXPECT_EQ(got.state, "42S02");
}

class SqlErrorTraceTest : public SqlErrorTest {
 protected:
  void SetUp() override {
    SqlErrorTest::SetUp();
    testing_registry::UseSandbox();
  }
  void TearDown() override {
    TraceClose(connection_.trace);
    connection_.trace = nullptr;
    ProfileWriteString(kPath, "Dsn", nullptr, nullptr);
    SqlErrorTest::TearDown();
  }
  void OpenTrace(const char* level) {
    ASSERT_EQ(ProfileWriteString(kPath, "Dsn", "OdbcTrace", level), 1);
    ASSERT_EQ(ProfileWriteString(kPath, "Dsn", "TraceOutput", dir_.Path("t.log").c_str()), 1);
    connection_.trace = TraceOpen(kPath, "Dsn", "OdbcTrace", &connection_.trace_level);
    ASSERT_NE(connection_.trace, nullptr);
  }
  std::string Log() {
    TraceClose(connection_.trace);
    connection_.trace = nullptr;
    return dir_.Read("t.log");
  }

  static constexpr const char* kPath = "HKEY_CURRENT_USER\\Software\\VelTest\\SqlError";
  TempDir dir_;
};

TEST_F(SqlErrorTraceTest, DetailedLevelTracesTheOutputs) {
  OpenTrace("2");
  ASSERT_EQ(PostStmtError(&statement_, 5120, 0, nullptr), 0);
  SQLCHAR state[6];
  SQLINTEGER native = 0;
  SQLCHAR text[64];
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLErrorImpl(nullptr, nullptr, &statement_, state, &native, text, sizeof text, &length),
            SQL_SUCCESS);
  std::string log = Log();
  EXPECT_EQ(log.find(">SQLError(0x00000000, 0x00000000, 0x"), 0u) << log;
  // Each detail line is a TracePrintf line, which adds its own blank.
  EXPECT_NE(log.find("  SqlState: \"24000\"\n  NativeError: 0\n  ErrorMsg: Invalid cursor state.\n"
                     "<SQLError returned 0.\n"),
            std::string::npos)
      << log;
}

TEST_F(SqlErrorTraceTest, PlainLevelTracesEntryAndReturnOnly) {
  OpenTrace("1");
  ASSERT_EQ(PostDbcError(&connection_, 5136, 0, nullptr), 0);
  EXPECT_EQ(AskConnection().result, SQL_SUCCESS);
  std::string log = Log();
  EXPECT_EQ(log.find("SqlState"), std::string::npos) << log;
  EXPECT_NE(log.find("<SQLError returned 0.\n"), std::string::npos) << log;
}

}  // namespace

// Connection and statement options: kept in the driver, sent to the server,
// refused, and set before the login and replayed after it.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/options/option_store.h"
#include "driver/odbc/options/stmt_options_api.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/registry_sandbox.h"
#include "testing/server_conn_support.h"

namespace {

SQLULEN TextValue(const char* text) {
  return reinterpret_cast<SQLULEN>(text);
}

class OptionsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing_registry::UseSandbox(); }

  // A login left open would outlive the call layer's records.
  void TearDown() override {
    if (conn()->state >= kConnConnected) {
      EXPECT_NE(SQLDisconnectImpl(conn()), SQL_ERROR);
    }
  }

  DrvConn* conn() const { return fixture_.conn(); }
  std::vector<std::string> States() const { return fixture_.States(); }

  DrvStmt* NewStmt() {
    SQLHSTMT hstmt = SQL_NULL_HSTMT;
    EXPECT_EQ(SQLAllocStmtImpl(conn(), &hstmt), SQL_SUCCESS);
    return static_cast<DrvStmt*>(hstmt);
  }
  uint32_t Get32(uint16_t option) {
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(SQLGetConnectOptionImpl(conn(), option, &value), SQL_SUCCESS);
    return value;
  }

  ConnFixture fixture_;
  ServerFixture server_;
};

TEST_F(OptionsTest, ConnectionOptionsAreKeptAndReadBack) {
  struct Case {
    uint16_t option;
    uint32_t value;
  } const cases[] = {
      {SQL_ACCESS_MODE, SQL_MODE_READ_ONLY},
      {SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF},
      {SQL_TXN_ISOLATION, SQL_TXN_SERIALIZABLE},
      {SQL_ODBC_CURSORS, SQL_CUR_USE_DRIVER},
      {SQL_PACKET_SIZE, 4096},
      {SQL_TRANSLATE_OPTION, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    EXPECT_EQ(SQLSetConnectOptionImpl(conn(), c.option, c.value), SQL_SUCCESS);
    EXPECT_EQ(Get32(c.option), c.value);
  }
  // Texts, and a window handle of all 64 bits.
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_CURRENT_QUALIFIER, TextValue("main")), SQL_SUCCESS);
  char qualifier[256] = {};
  EXPECT_EQ(SQLGetConnectOptionImpl(conn(), SQL_CURRENT_QUALIFIER, qualifier), SQL_SUCCESS);
  EXPECT_STREQ(qualifier, "main");
  const SQLULEN window = 0x123456789ABCull;
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_QUIET_MODE, window), SQL_SUCCESS);
  SQLULEN read = 0;
  EXPECT_EQ(SQLGetConnectOptionImpl(conn(), SQL_QUIET_MODE, &read), SQL_SUCCESS);
  EXPECT_EQ(read, window);
  EXPECT_EQ(SQLGetConnectOptionImpl(conn(), SQL_AUTOCOMMIT, nullptr), SQL_SUCCESS);
}

TEST_F(OptionsTest, RefusedConnectionOptionsChangeNothing) {
  const std::string long_text(256, 'q');
  struct Case {
    uint16_t option;
    SQLULEN value;
    const char* state;
  } const cases[] = {
      {SQL_ASYNC_ENABLE, SQL_ASYNC_ENABLE_ON, "S1C00"},
      {SQL_ACCESS_MODE, 0x100000001ull, "S1009"},  // wider than the wire's 32 bits
      {SQL_MAX_ROWS, 0x100000000ull, "S1009"},
      {SQL_CURRENT_QUALIFIER, 0, "S1009"},
      {SQL_CURRENT_QUALIFIER, TextValue(long_text.c_str()), "S1009"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    EXPECT_EQ(SQLSetConnectOptionImpl(conn(), c.option, c.value), SQL_ERROR);
    EXPECT_EQ(States(), std::vector<std::string>{c.state});
  }
  EXPECT_EQ(conn()->pending_options, nullptr);
  EXPECT_EQ(Get32(SQL_ACCESS_MODE), 0u);
  EXPECT_EQ(conn()->stmt_defaults.slot[kOptMaxRows], 0u);
  char qualifier[256] = "unwritten";
  EXPECT_EQ(SQLGetConnectOptionImpl(conn(), SQL_CURRENT_QUALIFIER, qualifier), SQL_SUCCESS);
  EXPECT_STREQ(qualifier, "");
  // A driver-specific option is the server's to answer.
  uint32_t value = 0;
  EXPECT_EQ(SQLGetConnectOptionImpl(conn(), 1500, &value), SQL_ERROR);
  EXPECT_EQ(States(), std::vector<std::string>{"08003"});
}

TEST_F(OptionsTest, OptionsSetBeforeTheLoginAreReplayedAfterIt) {
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_CURRENT_QUALIFIER, TextValue("archive")),
            SQL_SUCCESS);
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_MAX_ROWS, 50), SQL_SUCCESS);
  EXPECT_TRUE(server_.Log().connection_options.empty());

  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS) << ::testing::PrintToString(States());
  EXPECT_EQ(conn()->pending_options, nullptr);
  auto sent = server_.Log().connection_options;
  ASSERT_EQ(sent.count(SQL_AUTOCOMMIT), 1u);
  EXPECT_EQ(sent[SQL_AUTOCOMMIT].number, SQL_AUTOCOMMIT_OFF);
  ASSERT_EQ(sent.count(SQL_CURRENT_QUALIFIER), 1u);
  EXPECT_TRUE(sent[SQL_CURRENT_QUALIFIER].is_text);
  EXPECT_EQ(sent[SQL_CURRENT_QUALIFIER].text, "archive");
  ASSERT_EQ(sent.count(SQL_MAX_ROWS), 1u);
  EXPECT_EQ(sent[SQL_MAX_ROWS].number, 50u);
  // What the login reply said does not undo what the application set.
  EXPECT_EQ(Get32(SQL_AUTOCOMMIT), static_cast<uint32_t>(SQL_AUTOCOMMIT_OFF));
  EXPECT_EQ(conn()->stmt_defaults.slot[kOptMaxRows], 50u);
  DrvStmt* statement = NewStmt();
  EXPECT_EQ(statement->options.slot[kOptMaxRows], 50u);
}

TEST_F(OptionsTest, AnOptionTheServerRefusesAfterTheLoginIsAWarning) {
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), 1500, 3), SQL_SUCCESS);
  EXPECT_EQ(server_.Connect(conn()), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(States(), std::vector<std::string>{"S1092"});
  EXPECT_EQ(conn()->state, kConnConnected);
}

TEST_F(OptionsTest, ConnectedOptionsGoToTheServer) {
  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS);
  struct Case {
    uint16_t option;
    SQLULEN value;
    SQLRETURN result;
    std::vector<std::string> states;
  } const cases[] = {
      {SQL_ACCESS_MODE, SQL_MODE_READ_ONLY, SQL_SUCCESS, {}},
      {SQL_TXN_ISOLATION, SQL_TXN_READ_COMMITTED, SQL_SUCCESS, {}},
      {SQL_CURRENT_QUALIFIER, TextValue("main"), SQL_SUCCESS, {}},
      {1500, 1, SQL_ERROR, {"S1092"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    EXPECT_EQ(SQLSetConnectOptionImpl(conn(), c.option, c.value), c.result);
    EXPECT_EQ(States(), c.states);
    if (c.result == SQL_SUCCESS) {
      EXPECT_EQ(server_.Log().connection_options.count(c.option), 1u);
    }
  }
  EXPECT_EQ(server_.Log().connection_options[SQL_CURRENT_QUALIFIER].text, "main");
  // Options the driver keeps to itself never reach the server.
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_TRANSLATE_OPTION, 3), SQL_SUCCESS);
  EXPECT_EQ(server_.Log().connection_options.count(SQL_TRANSLATE_OPTION), 0u);
}

TEST_F(OptionsTest, StatementOptionOnTheConnectionReachesEveryStatement) {
  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS);
  DrvStmt* first = NewStmt();
  DrvStmt* second = NewStmt();
  ASSERT_EQ(SQLSetConnectOptionImpl(conn(), SQL_MAX_ROWS, 25), SQL_SUCCESS);
  EXPECT_EQ(first->options.slot[kOptMaxRows], 25u);
  EXPECT_EQ(second->options.slot[kOptMaxRows], 25u);
  EXPECT_EQ(conn()->stmt_defaults.slot[kOptMaxRows], 25u);
  EXPECT_EQ(server_.Log().connection_options[SQL_MAX_ROWS].number, 25u);

  // An open result set refuses a cursor option; the default stays.
  second->state = kStmtResultOpen;
  EXPECT_EQ(SQLSetConnectOptionImpl(conn(), SQL_CURSOR_TYPE, SQL_CURSOR_STATIC), SQL_ERROR);
  EXPECT_EQ(StmtStates(second), std::vector<std::string>{"24000"});
  EXPECT_EQ(conn()->stmt_defaults.slot[kOptCursorType], 0u);
  second->state = kStmtAllocated;

  // No option while a statement has a call outstanding.
  first->pending = 1;
  EXPECT_EQ(SQLSetConnectOptionImpl(conn(), SQL_ACCESS_MODE, 1), SQL_ERROR);
  EXPECT_EQ(States(), std::vector<std::string>{"S1010"});
  uint32_t value = 0;
  EXPECT_EQ(SQLGetConnectOptionImpl(conn(), SQL_ACCESS_MODE, &value), SQL_ERROR);
  EXPECT_EQ(States(), std::vector<std::string>{"S1010"});
  first->pending = 0;

  conn()->state = kConnInTransaction;
  EXPECT_EQ(SQLSetConnectOptionImpl(conn(), SQL_TXN_ISOLATION, SQL_TXN_SERIALIZABLE), SQL_ERROR);
  EXPECT_EQ(States(), std::vector<std::string>{"S1011"});
  conn()->state = kConnWithStmts;
}

TEST_F(OptionsTest, StatementOptionsAreSentAndKept) {
  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS);
  DrvStmt* statement = NewStmt();
  struct Case {
    uint16_t option;
    SQLULEN value;
    uint16_t state;  // the statement's
    SQLRETURN result;
    const char* sqlstate;  // "" for none
    uint32_t kept;         // the block's value afterwards
  } const cases[] = {
      {SQL_QUERY_TIMEOUT, 30, kStmtAllocated, SQL_SUCCESS, "", 30},
      {SQL_MAX_LENGTH, 0xFFFFFFFFu, kStmtAllocated, SQL_SUCCESS, "", 0xFFFFFFFEu},
      {SQL_MAX_ROWS, 0x100000000ull, kStmtAllocated, SQL_ERROR, "S1009", 0},
      {SQL_ASYNC_ENABLE, SQL_ASYNC_ENABLE_ON, kStmtAllocated, SQL_ERROR, "S1C00", 0},
      {SQL_ROW_NUMBER, 1, kStmtAllocated, SQL_ERROR, "S1C00", 0},
      {SQL_GET_BOOKMARK, 1, kStmtAllocated, SQL_ERROR, "S1C00", 0},
      {SQL_CONCURRENCY, SQL_CONCUR_LOCK, kStmtPrepared, SQL_ERROR, "S1011", 1},
      {SQL_USE_BOOKMARKS, SQL_UB_ON, kStmtOnRow, SQL_ERROR, "24000", 0},
      // The server substitutes its own cursor type and says so; the
      // statement keeps what the application asked for.
      {SQL_CURSOR_TYPE, SQL_CURSOR_STATIC, kStmtAllocated, SQL_SUCCESS_WITH_INFO, "01S02",
       SQL_CURSOR_STATIC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    statement->state = c.state;
    EXPECT_EQ(SQLSetStmtOptionImpl(statement, c.option, c.value), c.result);
    std::vector<std::string> want;
    if (c.sqlstate[0] != '\0') want.emplace_back(c.sqlstate);
    EXPECT_EQ(StmtStates(statement), want);
    SQLULEN read = 0;
    statement->state = kStmtAllocated;
    if (c.option <= SQL_USE_BOOKMARKS) {
      EXPECT_EQ(SQLGetStmtOptionImpl(statement, c.option, &read), SQL_SUCCESS);
      EXPECT_EQ(static_cast<uint32_t>(read), c.kept);
    }
  }
  EXPECT_EQ(server_.Log().statement_options[SQL_QUERY_TIMEOUT], 30u);
}

TEST_F(OptionsTest, StatementOptionsAreReadInTheirWidth) {
  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS);
  DrvStmt* statement = NewStmt();
  for (uint16_t option = SQL_QUERY_TIMEOUT; option <= SQL_USE_BOOKMARKS; ++option)
    statement->options.slot[StmtOptionSlot(option)] = 0x11111111u * (option % 8 + 1);
  const uint16_t wide[] = {SQL_MAX_ROWS, SQL_MAX_LENGTH, SQL_KEYSET_SIZE, SQL_ROWSET_SIZE};
  for (uint16_t option = SQL_QUERY_TIMEOUT; option <= SQL_USE_BOOKMARKS; ++option) {
    SCOPED_TRACE(option);
    uint64_t read = ~0ull;
    ASSERT_EQ(SQLGetStmtOptionImpl(statement, option, &read), SQL_SUCCESS);
    const uint64_t value = 0x11111111u * (option % 8 + 1);
    const bool is_wide = std::find(std::begin(wide), std::end(wide), option) != std::end(wide);
    EXPECT_EQ(read, is_wide ? value : (0xFFFFFFFF00000000ull | value));
  }
}

TEST_F(OptionsTest, RowPositionOptionsNeedACurrentRow) {
  ASSERT_EQ(server_.Connect(conn()), SQL_SUCCESS);
  DrvStmt* statement = NewStmt();
  struct Case {
    uint16_t option;
    uint16_t state;
    uint16_t fetch_status;
    uint32_t bookmarks;
    SQLRETURN result;
    const char* sqlstate;
  } const cases[] = {
      {SQL_ROW_NUMBER, kStmtAllocated, 0, 0, SQL_ERROR, "24000"},
      {SQL_ROW_NUMBER, kStmtResultOpen, 0, 0, SQL_ERROR, "24000"},  // before the first fetch
      {SQL_ROW_NUMBER, kStmtOnRow, 2, 0, SQL_ERROR, "24000"},       // past the last row
      {SQL_ROW_NUMBER, kStmtOnRow, 0, 0, SQL_SUCCESS, ""},
      {SQL_GET_BOOKMARK, kStmtOnRow, 0, 0, SQL_ERROR, "S1011"},
      {SQL_GET_BOOKMARK, kStmtOnRow, 0, 1, SQL_SUCCESS, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.option) + "/" + std::to_string(c.state));
    statement->state = c.state;
    statement->fetch_status = c.fetch_status;
    statement->options.slot[kOptUseBookmarks] = c.bookmarks;
    uint32_t value = 0;
    EXPECT_EQ(SQLGetStmtOptionImpl(statement, c.option, &value), c.result);
    std::vector<std::string> want;
    if (c.sqlstate[0] != '\0') want.emplace_back(c.sqlstate);
    EXPECT_EQ(StmtStates(statement), want);
  }
  statement->state = kStmtAllocated;
}

TEST_F(OptionsTest, TheDataSourceNamesATranslationLibrary) {
  const testing_registry::Sandbox& sandbox = testing_registry::UseSandbox();
  std::ofstream(sandbox.odbc_user_ini)
      << "[VelXlat]\nServerName=" << server_.Address()
      << "\nServerDSN=sales\nTranslationDLL=" VEL_XLAT_LIBRARY "\nTranslationOption=2\n"
      << "[VelBadXlat]\nServerName=" << server_.Address()
      << "\nServerDSN=sales\nTranslationDLL=/nonexistent/translation.so\n";
  auto connect = [&](const char* dsn) {
    return SQLConnectImpl(conn(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn)), SQL_NTS,
                          reinterpret_cast<SQLCHAR*>(const_cast<char*>("scott")), SQL_NTS,
                          reinterpret_cast<SQLCHAR*>(const_cast<char*>("tiger")), SQL_NTS);
  };
  ASSERT_EQ(connect("VelXlat"), SQL_SUCCESS) << ::testing::PrintToString(States());
  ASSERT_NE(conn()->translate_dll, nullptr);
  EXPECT_STREQ(conn()->translate_dll, VEL_XLAT_LIBRARY);
  EXPECT_EQ(conn()->translate_option, 2u);
  ASSERT_EQ(SQLDisconnectImpl(conn()), SQL_SUCCESS);
  EXPECT_EQ(conn()->translate_dll, nullptr);
  EXPECT_EQ(conn()->translate_module, nullptr);

  EXPECT_EQ(connect("VelBadXlat"), SQL_ERROR);
  EXPECT_EQ(States(), std::vector<std::string>{"IM009"});
  EXPECT_EQ(conn()->state, kConnAllocated);
  EXPECT_EQ(server_.Log().open_connections, 0);
}

}  // namespace

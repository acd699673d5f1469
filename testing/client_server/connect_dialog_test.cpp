// SQLDriverConnect's completion modes and the logon dialog, run on a
// scripted host against the server over its scripted backend (user scott,
// password tiger).
#include <gtest/gtest.h>
#include <sqlext.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/res_dll.h"
#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/diag/drv_messages.h"
#include "testing/conn_test_support.h"
#include "testing/dialog_scripted_host.h"
#include "testing/registry_sandbox.h"
#include "testing/server_conn_support.h"

namespace {

// Any non-null window stands for an application that allows a dialog.
SQLHWND const kWindow = reinterpret_cast<SQLHWND>(0x1234);

class ConnectDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Another data source of the user's: a call that names none must
    // neither show nor send anything of it.
    std::ofstream(testing_registry::UseSandbox().odbc_user_ini, std::ios::app)
        << "[Others]\nDriver=VeltoTest\nServerDSN=theirs\nServerName=10.9.9.9.1583\nUID=bob\n"
           "ArrayFetchOn=0\nArrayBufferSize=2\n";
  }
  void SetUp() override {
    ASSERT_EQ(DrvLoadMessages(), 1);
    ASSERT_EQ(ResDllLoad(VEL_RESOURCE_PATH), 1);
    before_ = DlgUseHost(&host_);
  }
  void TearDown() override {
    DlgUseHost(before_);
    if (conn()->state >= kConnConnected) {
      EXPECT_NE(SQLDisconnectImpl(conn()), SQL_ERROR);
    }
    ResDllFree();
    DrvReleaseMessages();
  }

  DrvConn* conn() const { return fixture_.conn(); }
  SQLRETURN Connect(const std::string& text, SQLUSMALLINT mode, SQLHWND window = kWindow) {
    out_.assign(1024, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN result = SQLDriverConnectImpl(
        conn(), window, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS,
        reinterpret_cast<SQLCHAR*>(out_.data()), static_cast<SQLSMALLINT>(out_.size()), &length,
        mode);
    out_.resize(result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO ? length : 0);
    return result;
  }
  std::string Base(const char* password) const {
    return "ServerName=" + server_.Address() + ";ServerDSN=sales;UID=scott;PWD=" + password;
  }

  ConnFixture fixture_;
  ServerFixture server_;
  ScriptedDlgHost host_;
  DlgHost* before_ = nullptr;
  std::string out_;
};

TEST_F(ConnectDialogTest, CompleteModesShowNoDialogWhenTheStringLogsIn) {
  for (SQLUSMALLINT mode : {SQL_DRIVER_COMPLETE, SQL_DRIVER_COMPLETE_REQUIRED}) {
    ASSERT_EQ(Connect(Base("tiger"), mode), SQL_SUCCESS)
        << testing::PrintToString(fixture_.States());
    EXPECT_EQ(conn()->state, kConnConnected);
    EXPECT_NE(out_.find("ServerName=" + server_.Address() + ";"), std::string::npos) << out_;
    EXPECT_NE(out_.find("UID=scott;"), std::string::npos) << out_;
    EXPECT_TRUE(host_.Record().empty()) << testing::PrintToString(host_.Record());
    ASSERT_EQ(SQLDisconnectImpl(conn()), SQL_SUCCESS);
  }
}

TEST_F(ConnectDialogTest, AFailedFirstTryShowsTheDialogAndCancelPostsNothingOfIt) {
  // The unknown keyword's warning was posted before the try and stays.
  host_.Click(IDCANCEL);
  EXPECT_EQ(Connect(Base("lion") + ";Colour=blue", SQL_DRIVER_COMPLETE), SQL_NO_DATA_FOUND);
  EXPECT_EQ(fixture_.States(), (std::vector<std::string>{"01S00"}));
  EXPECT_EQ(conn()->state, kConnAllocated);
  EXPECT_EQ(host_.Record(),
            (std::vector<std::string>{"open 100", "caption Logon to sales", "focus 103", "end 2"}));
  // Nothing of the cancelled attempt is kept for the next one.
  EXPECT_EQ(fixture_.Value("PWD"), "<unset>");
}

TEST_F(ConnectDialogTest, TheUserCorrectsThePasswordAndConnects) {
  host_.Probe().Type(104, "tiger").Click(IDOK);
  ASSERT_EQ(Connect(Base("lion"), SQL_DRIVER_COMPLETE_REQUIRED), SQL_SUCCESS)
      << testing::PrintToString(fixture_.States());
  EXPECT_EQ(conn()->state, kConnConnected);
  EXPECT_NE(out_.find("PWD=tiger;"), std::string::npos);
  EXPECT_EQ(
      host_.Lines("probe 101"),
      (std::vector<std::string>{"probe 101 enabled=1 visible=1 check=0 text=" + server_.Address() +
                                " lines=" + server_.Address() + " sel=0"}));
  EXPECT_EQ(
      host_.Lines("probe 103"),
      (std::vector<std::string>{"probe 103 enabled=1 visible=1 check=0 text=scott lines= sel="}));
  EXPECT_EQ(host_.Lines("cursor"), (std::vector<std::string>{"cursor wait", "cursor arrow"}));
  EXPECT_EQ(host_.Record().back(), "end 1");
}

TEST_F(ConnectDialogTest, WithoutADsnNothingComesFromAnotherDataSource) {
  host_.Probe().Click(IDCANCEL);
  EXPECT_EQ(Connect("DRIVER=VeltoTest;PWD=tiger", SQL_DRIVER_PROMPT), SQL_NO_DATA_FOUND);
  EXPECT_EQ(host_.Lines("caption"), (std::vector<std::string>{"caption Logon to "}));
  EXPECT_EQ(host_.Lines("probe 101"),
            (std::vector<std::string>{"probe 101 enabled=1 visible=1 check=0 text= lines= sel="}));
  EXPECT_EQ(host_.Lines("probe 103"),
            (std::vector<std::string>{"probe 103 enabled=1 visible=1 check=0 text= lines= sel="}));

  // Nor do the array-fetch settings: without a DSN they are the defaults.
  ASSERT_EQ(Connect("DRIVER=VeltoTest;" + Base("tiger"), SQL_DRIVER_NOPROMPT), SQL_SUCCESS)
      << testing::PrintToString(fixture_.States());
  EXPECT_EQ(fixture_.Value("ArrayFetchOn"), "1");
  EXPECT_EQ(fixture_.Value("ArrayBufferSize"), "8");
}

TEST_F(ConnectDialogTest, PromptModeAlwaysShowsTheDialog) {
  host_.Click(IDOK);
  ASSERT_EQ(Connect(Base("tiger"), SQL_DRIVER_PROMPT), SQL_SUCCESS);
  EXPECT_EQ(host_.Lines("open"), (std::vector<std::string>{"open 100"}));
}

TEST_F(ConnectDialogTest, ValuesThatWouldBreakTheLoginStringKeepTheDialogOpen) {
  struct Case {
    int control;
    const char* label;
  } cases[] = {{103, "User ID:"}, {104, "Password:"}};
  for (const auto& c : cases) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    host.Type(c.control, "a;b").Click(IDOK).Click(IDCANCEL);
    EXPECT_EQ(Connect(Base("tiger"), SQL_DRIVER_PROMPT), SQL_NO_DATA_FOUND);
    const std::string box = std::string("box 48 Logon to |") + c.label +
                            " must not contain any of the following characters: [ ] { } ( ) , ; "
                            "? * = ! @ -> 1 (default)";
    EXPECT_EQ(host.Lines("box"), (std::vector<std::string>{box}));
    // After the box the field has the focus again, and the dialog stayed
    // open for the cancel.
    auto record = host.Record();
    ASSERT_GE(record.size(), 3u);
    EXPECT_EQ(record[record.size() - 2], "focus " + std::to_string(c.control));
    EXPECT_EQ(record.back(), "end 2");
    EXPECT_EQ(conn()->state, kConnAllocated);
  }
  DlgUseHost(&host_);
}

TEST_F(ConnectDialogTest, AFailedLoginInTheDialogReturnsItsDiagnostics) {
  host_.Type(104, "lion").Click(IDOK);
  EXPECT_EQ(Connect(Base("tiger"), SQL_DRIVER_PROMPT), SQL_ERROR);
  EXPECT_EQ(fixture_.States(), (std::vector<std::string>{"28000"}));
  EXPECT_EQ(conn()->state, kConnAllocated);
  EXPECT_EQ(host_.Record().back(), "end 3");
}

TEST_F(ConnectDialogTest, TheOptionsButtonGrowsTheDialogAndTheCheckBoxShowsTheGroup) {
  host_.Click(109).Click(105).Click(105).Click(109).Probe().Click(IDCANCEL);
  EXPECT_EQ(Connect(Base("tiger"), SQL_DRIVER_PROMPT), SQL_NO_DATA_FOUND);
  std::vector<std::string> wanted = {
      "refused 109 hidden",  // below the dialog's edge before it grows
      "enable 106 1",         "enable 107 1", "enable 108 1", "enable 105 0", "focus 109",
      "refused 105 disabled", "show 110 1",   "show -1 1",    "show -1 1"};
  std::vector<std::string> got;
  for (const auto& line : host_.Record()) {
    if (line.rfind("refused", 0) == 0 || line.rfind("enable", 0) == 0 ||
        line.rfind("show", 0) == 0 || line == "focus 109")
      got.push_back(line);
  }
  EXPECT_EQ(got, wanted);
  EXPECT_EQ(host_.Lines("probe 110"),
            (std::vector<std::string>{
                "probe 110 enabled=1 visible=1 check=0 text=The password is sent scrambled, "
                "lines= sel="}));
}

TEST_F(ConnectDialogTest, ADialogThatCannotBeShownOrABadModeLeavesNoConnection) {
  struct Case {
    const char* name;
    SQLUSMALLINT mode;
    SQLHWND window;
    bool none_host;
    bool no_library;
    const char* state;
  } cases[] = {
      {"no window", SQL_DRIVER_PROMPT, nullptr, false, false, "IM008"},
      {"no window, failed try", SQL_DRIVER_COMPLETE, nullptr, false, false, "IM008"},
      {"no host", SQL_DRIVER_PROMPT, kWindow, true, false, "IM008"},
      {"no template", SQL_DRIVER_PROMPT, kWindow, false, true, "IM008"},
      {"mode 4", 4, kWindow, false, false, "S1110"},
  };
  for (const auto& c : cases) {
    if (c.none_host) DlgUseHost(DlgNoneHost());
    if (c.no_library) ResDllFree();
    const char* password = c.mode == SQL_DRIVER_COMPLETE ? "lion" : "tiger";
    EXPECT_EQ(Connect(Base(password), c.mode, c.window), SQL_ERROR) << c.name;
    EXPECT_EQ(fixture_.States(), (std::vector<std::string>{c.state})) << c.name;
    EXPECT_EQ(conn()->state, kConnAllocated) << c.name;
    EXPECT_EQ(fixture_.Value("ServerName"), "<unset>") << c.name;
    DlgUseHost(&host_);
    ASSERT_EQ(ResDllLoad(VEL_RESOURCE_PATH), 1);
  }
  EXPECT_TRUE(host_.Record().empty());
}

}  // namespace

// The built driver's prompting and browsing, through unixODBC's driver
// manager and through its own exports, with the logon dialog on a scripted
// host chosen by the environment.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "testing/registry_sandbox.h"
#include "testing/server_conn_support.h"
#include "testing/temp_dir.h"

namespace {

SQLCHAR* Text(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}
SQLHWND const kWindow = reinterpret_cast<SQLHWND>(0x1234);

ServerFixture* g_server = nullptr;

// The dialog's script for the next call, and what the dialogs recorded.
class ScriptedDialogs {
 public:
  explicit ScriptedDialogs(const std::string& script) {
    setenv("VELTO_DIALOG_HOST", VEL_DIALOG_HOST_MODULE, 1);
    setenv("VELTO_DIALOG_SCRIPT", dir_.Write("script", script).c_str(), 1);
    setenv("VELTO_DIALOG_RECORD", dir_.Path("record").c_str(), 1);
  }
  ~ScriptedDialogs() { setenv("VELTO_DIALOG_HOST", "none", 1); }
  std::string Record() const { return dir_.Read("record"); }

 private:
  TempDir dir_;
};

class ConnectPromptLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const testing_registry::Sandbox& sandbox = testing_registry::UseSandbox();
    g_server = new ServerFixture();
    std::ofstream(sandbox.odbc_sys_dir + "/odbcinst.ini")
        << "[VeltoPrompt]\nDriver=" VEL_DRIVER_PATH "\n";
    std::ofstream(sandbox.odbc_sys_dir + "/odbc.ini")
        << "[VelPrompt]\nDriver=VeltoPrompt\nServerName=" << g_server->Address()
        << "\nServerDSN=sales\n[VelBare]\nDriver=VeltoPrompt\n";
  }
  static void TearDownTestSuite() {
    delete g_server;
    g_server = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(SQLAllocEnv(&henv_), SQL_SUCCESS);
    ASSERT_EQ(SQLAllocConnect(henv_, &hdbc_), SQL_SUCCESS);
  }
  void TearDown() override {
    SQLDisconnect(hdbc_);
    SQLFreeConnect(hdbc_);
    SQLFreeEnv(henv_);
  }
  std::string State() {
    SQLCHAR state[6] = {};
    SQLCHAR text[512];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLError(henv_, hdbc_, SQL_NULL_HSTMT, state, &native, text, sizeof text, &length);
    return reinterpret_cast<char*>(state);
  }

  SQLHENV henv_ = SQL_NULL_HENV;
  SQLHDBC hdbc_ = SQL_NULL_HDBC;
};

TEST_F(ConnectPromptLibraryTest, TheDriverManagerPassesPromptsToTheDialog) {
  ScriptedDialogs dialogs("type 104 tiger\nclick 1\n");
  SQLCHAR out[1024];
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLDriverConnect(hdbc_, kWindow, Text("DSN=VelPrompt;UID=scott;PWD=lion"), SQL_NTS, out,
                             sizeof out, &length, SQL_DRIVER_COMPLETE),
            SQL_SUCCESS)
      << State();
  EXPECT_NE(std::string(reinterpret_cast<char*>(out)).find("PWD=tiger;"), std::string::npos);
  EXPECT_EQ(dialogs.Record().rfind("open 100\ncaption Logon to sales\n", 0), 0u)
      << dialogs.Record();
}

TEST_F(ConnectPromptLibraryTest, WithoutAWindowNoDialogIsShown) {
  ScriptedDialogs dialogs("click 1\n");
  SQLCHAR out[1024];
  SQLSMALLINT length = 0;
  SQLRETURN result = SQLDriverConnect(hdbc_, nullptr, Text("DSN=VelPrompt;UID=scott;PWD=lion"),
                                      SQL_NTS, out, sizeof out, &length, SQL_DRIVER_COMPLETE);
  EXPECT_EQ(result, SQL_ERROR);
  EXPECT_EQ(State(), "IM008");
  EXPECT_EQ(dialogs.Record(), "");
  // The handle is not connected: a plain connect works on it.
  EXPECT_TRUE(
      SQL_SUCCEEDED(SQLDriverConnect(hdbc_, nullptr, Text("DSN=VelPrompt;UID=scott;PWD=tiger"),
                                     SQL_NTS, out, sizeof out, &length, SQL_DRIVER_NOPROMPT)))
      << State();
}

TEST_F(ConnectPromptLibraryTest, BrowseConnectAsksInStepsAndTakesCorrections) {
  SQLCHAR out[1024];
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLBrowseConnect(hdbc_, Text("DSN=VelBare"), SQL_NTS, out, sizeof out, &length),
            SQL_NEED_DATA);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out)),
            "ServerName:Server Name=?;*ServerDSN:Server DSN=?;*UID:User Name=?;*PWD:Password=?;"
            "*ArrayFetchOn:Enable Array Fetch=?;*ArrayBufferSize:Array Fetch Buffer Size=?;"
            "*AsyncEnable:Async Enabled=?;*DMAccess=?;");
  const std::string server = "ServerName=" + g_server->Address();
  ASSERT_EQ(SQLBrowseConnect(hdbc_, Text(server + ";ServerDSN=nosuch;UID=scott;PWD=lion"), SQL_NTS,
                             out, sizeof out, &length),
            SQL_ERROR);
  EXPECT_EQ(State(), "IM002");
  // Each later call corrects one value; the others stay.
  ASSERT_EQ(SQLBrowseConnect(hdbc_, Text("ServerDSN=sales"), SQL_NTS, out, sizeof out, &length),
            SQL_ERROR);
  EXPECT_EQ(State(), "28000");
  ASSERT_EQ(SQLBrowseConnect(hdbc_, Text("PWD=tiger"), SQL_NTS, out, sizeof out, &length),
            SQL_SUCCESS)
      << State();
  const std::string completed(reinterpret_cast<char*>(out));
  EXPECT_NE(completed.find("ServerName=" + g_server->Address() + ";"), std::string::npos);
  EXPECT_NE(completed.find("PWD=tiger;"), std::string::npos);
}

// The driver's own exports, without a driver manager in between.
class DriverExports {
 public:
  DriverExports() : library_(dlopen(VEL_DRIVER_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~DriverExports() {
    if (library_ != nullptr) dlclose(library_);
  }
  template <typename F>
  F Get(const char* name) {
    return reinterpret_cast<F>(dlsym(library_, name));
  }
  bool ok() const { return library_ != nullptr; }

 private:
  void* library_;
};

TEST_F(ConnectPromptLibraryTest, TheExportsPromptAndRefuseWhatTheDriverManagerWouldNotPass) {
  DriverExports driver;
  ASSERT_TRUE(driver.ok()) << dlerror();
  using AllocEnv = SQLRETURN (*)(SQLHENV*);
  using AllocConnect = SQLRETURN (*)(SQLHENV, SQLHDBC*);
  using DriverConnect = SQLRETURN (*)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                      SQLSMALLINT, SQLSMALLINT*, SQLUSMALLINT);
  using Error = SQLRETURN (*)(SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*,
                              SQLSMALLINT, SQLSMALLINT*);
  using Handle = SQLRETURN (*)(SQLHANDLE);
  SQLHENV env = nullptr;
  SQLHDBC dbc = nullptr;
  ASSERT_EQ(driver.Get<AllocEnv>("SQLAllocEnv")(&env), SQL_SUCCESS);
  ASSERT_EQ(driver.Get<AllocConnect>("SQLAllocConnect")(env, &dbc), SQL_SUCCESS);
  auto connect = driver.Get<DriverConnect>("SQLDriverConnect");
  auto state = [&] {
    SQLCHAR code[6] = {};
    SQLCHAR text[512];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    driver.Get<Error>("SQLError")(env, dbc, nullptr, code, &native, text, sizeof text, &length);
    return std::string(reinterpret_cast<char*>(code));
  };
  const std::string string = "DSN=VelPrompt;UID=scott;PWD=tiger";
  struct Case {
    const char* name;
    SQLHWND window;
    SQLUSMALLINT mode;
    const char* script;
    SQLRETURN result;
    const char* state;
    const char* record;
  } cases[] = {
      {"cancelled prompt", kWindow, SQL_DRIVER_PROMPT, "click 2\n", SQL_NO_DATA_FOUND, "00000",
       "open 100\ncaption Logon to sales\nfocus 103\nend 2\n"},
      {"prompt without a window", nullptr, SQL_DRIVER_PROMPT, "click 1\n", SQL_ERROR, "IM008", ""},
      {"mode 4", kWindow, 4, "click 1\n", SQL_ERROR, "S1110", ""},
      {"prompt", kWindow, SQL_DRIVER_PROMPT, "click 1\n", SQL_SUCCESS, "00000", nullptr},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dialogs(c.script);
    SQLCHAR out[1024];
    SQLSMALLINT length = 0;
    EXPECT_EQ(connect(dbc, c.window, Text(string), SQL_NTS, out, sizeof out, &length, c.mode),
              c.result)
        << c.name;
    EXPECT_EQ(state(), c.state) << c.name;
    if (c.record != nullptr) {
      EXPECT_EQ(dialogs.Record(), c.record) << c.name;
    }
  }
  EXPECT_EQ(driver.Get<Handle>("SQLDisconnect")(dbc), SQL_SUCCESS);
  EXPECT_EQ(driver.Get<Handle>("SQLFreeConnect")(dbc), SQL_SUCCESS);
  EXPECT_EQ(driver.Get<Handle>("SQLFreeEnv")(env), SQL_SUCCESS);
}

}  // namespace

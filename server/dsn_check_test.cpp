// What the log says of a data source that cannot connect, at start and at a
// login: the backend's diagnostics on one line, where it tried to connect
// (without the password), and the missing folder of a file database, which
// a driver may leave unsaid.
#include "server/dsn_check.h"

#include <gtest/gtest.h>

#include "testing/dispatch_harness.h"
#include "testing/log_capture.h"

namespace velsrv_test {
namespace {

TEST(DsnCheckTest, ARefusedConnectNamesItsTargetAndTheBackendsWholeMessageOnOneLine) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.dsns = {{"files", "", "DSN=nosuch;Database=/nonexistent/velsrv/demo.db;PWD=secret", "",
                  velsrv::LoginCheck::kBackend}};
  velsrv::ScriptedData data = velsrv::DefaultScriptedData();
  data.refusal_text = "connect failed\n\tIs the folder there?\n";
  LogCapture log;
  Harness h(data, config);
  velsrv::CheckDataSources(h.context());
  auto s = h.NewSession();
  int16_t status;
  h.Login(*s, SalesLogin().replace(SalesLogin().find("ServerDSN=sales"), 15, "ServerDSN=files"),
          &status);
  EXPECT_EQ(status, -20);

  EXPECT_TRUE(
      log.Has("warning: data source \"files\" cannot connect: IM002 [scripted]connect failed Is "
              "the folder there? (connect = DSN=nosuch;Database=/nonexistent/velsrv/demo.db;"
              "PWD=***; its folder /nonexistent/velsrv does not exist)"));
  EXPECT_TRUE(log.Has("data source \"files\": the backend refused: IM002 [scripted]connect failed "
                      "Is the folder there?"));
  EXPECT_EQ(log.Count("?"), 2);  // the message's own, and nothing for a line break
  EXPECT_EQ(log.Count("secret"), 0);
}

}  // namespace
}  // namespace velsrv_test

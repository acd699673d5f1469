// velref32 as it runs at a user's start: the wait notice, the update
// against a velsrv on loopback, the outcome in a box; one copy per user.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/instance_lock.h"
#include "testing/fake_lookups.h"
#include "testing/tool_sandbox.h"
#include "testing/velsrv_process.h"
#include "tools/shared/local_suffix.h"

namespace {

using testing_tools::ProgramRun;
using testing_tools::ToolSandbox;

class RefreshProgramTest : public ::testing::Test {
 protected:
  ProgramRun Refresh() {
    std::string script;  // nobody acts on the notice
    return box_.Run({VELREF_PATH}, &script);
  }
  ToolSandbox box_{VEL_DRIVER_PATH};
};

TEST_F(RefreshProgramTest, RefreshesBehindTheNoticeAndTellsHowMany) {
  testing_velsrv::VelsrvProcess server(VELSRV_PATH, {"sales;Sales data"});
  ASSERT_TRUE(server.running());
  box_.SetClientValue("ServerList", server.Address());
  ProgramRun run = Refresh();
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(run.record, (std::vector<std::string>{
                            "open VCRREFRESH",
                            "cursor wait",
                            "box 64 VeltoClient|Added/updated 1 data sources. -> 1 (default)",
                            "cursor arrow",
                            "end 0",
                        }));
  std::string sales = AddLocalSuffix("sales", Ipv4("127.0.0.1"));
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), sales, "ServerDSN"), "sales");
}

TEST_F(RefreshProgramTest, NoServerAnsweringIsToldWithNothingRegistered) {
  box_.SetClientValue("ServerList", "127.0.0.1:1");
  ProgramRun run = Refresh();
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_TRUE(run.Recorded("beep 48"));
  EXPECT_TRUE(run.Recorded(
      "box 48 VeltoClient|You have not been granted access to any data sources. Contact your "
      "system administrator for assistance. -> 1 (default)"));
  EXPECT_TRUE(ToolSandbox::IniSections(box_.UserIni()).empty());
}

TEST_F(RefreshProgramTest, ASecondCopyTellsThatTheToolRunsAndEnds) {
  setenv("XDG_RUNTIME_DIR", box_.Path("run").c_str(), 1);
  setenv("VELTO_DIALOG_SCOPE", box_.root().c_str(), 1);
  ASSERT_EQ(PlatClaimInstance("velref32"), PlatInstanceClaim::kFirst);
  ProgramRun run = Refresh();
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.output.find("velref32: VeltoClient is already running."), std::string::npos)
      << run.output;
  EXPECT_TRUE(run.record.empty());
}

TEST_F(RefreshProgramTest, WithoutATerminalTheNoticeIsNotOpened) {
  ProgramRun run = box_.Run({VELREF_PATH}, nullptr, {{"VELTO_DIALOG_HOST", "none"}});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("velref32: its dialogs need a terminal"), std::string::npos)
      << run.output;
  // Nor is a lock file left behind.
  std::error_code none;
  for (const auto& entry : std::filesystem::directory_iterator(box_.Path("run"), none))
    EXPECT_NE(entry.path().extension(), ".lock") << entry.path();
}

TEST_F(RefreshProgramTest, HelpSaysWhatTheProgramDoes) {
  ProgramRun run = box_.Run({VELREF_PATH, "--help"}, nullptr, {{"VELTO_DIALOG_HOST", "none"}});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.output.find("Usage: velref32\nThe refresh program"), std::string::npos)
      << run.output;
}

}  // namespace

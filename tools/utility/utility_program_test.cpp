// velutl32 as a person runs it, its dialogs on the scripted host: update,
// remove and report against a velsrv on loopback in a private ODBC
// configuration; the failures it must tell; one copy per user.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/instance_lock.h"
#include "testing/fake_lookups.h"
#include "testing/registry_sandbox.h"
#include "testing/tool_sandbox.h"
#include "testing/velsrv_process.h"
#include "tools/shared/local_suffix.h"

namespace {

using testing_tools::ProgramRun;
using testing_tools::ToolSandbox;

std::string Registered(const std::string& name) {
  return AddLocalSuffix(name, Ipv4("127.0.0.1"));
}

constexpr const char kCaption[] = "VeltoClient Configuration";

class UtilityProgramTest : public ::testing::Test {
 protected:
  void StartServer() {
    server_ = std::make_unique<testing_velsrv::VelsrvProcess>(
        VELSRV_PATH, std::vector<std::string>{"sales;Sales data", "stock"});
    ASSERT_TRUE(server_->running());
    box_.SetClientValue("ServerList", server_->Address());
  }
  ProgramRun Utility(const std::string& script) { return box_.Run({VELUTL_PATH}, &script); }
  std::string Box(int type, const std::string& text) {
    return "box " + std::to_string(type) + " " + kCaption + "|" + text + " -> 1 (default)";
  }

  ToolSandbox box_{VEL_DRIVER_PATH};
  std::unique_ptr<testing_velsrv::VelsrvProcess> server_;
};

TEST_F(UtilityProgramTest, UpdateNowRegistersTheServersDataSources) {
  StartServer();
  ProgramRun run = Utility("click 100\nclick 2\n");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_TRUE(run.Recorded("open VCCCONFIG"));
  EXPECT_TRUE(run.Recorded(Box(64, "Added/updated 2 data sources."))) << run.output;
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), Registered("sales"), "ServerDSN"), "sales");
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), Registered("stock"), "ServerDSN"), "stock");
  EXPECT_TRUE(std::filesystem::exists(box_.FileDsnPath(Registered("sales"))));
}

TEST_F(UtilityProgramTest, UpdateWithNoServerAnsweringTheBroadcastTimesOut) {
  if (!ToolSandbox::NetworkIsolationWorks()) GTEST_SKIP() << "no network namespace to broadcast in";
  box_.SetServiceValue("SvcEnableBroadcasting", "1");
  box_.SetServiceValue("SvcClntTimeOut", "0");
  std::string script = "click 100\nclick 2\n";
  ProgramRun run = box_.RunIsolated({VELUTL_PATH}, &script);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_TRUE(run.Recorded("beep 48"));
  EXPECT_TRUE(run.Recorded(Box(48,
                               "VeltoClient cannot communicate with VeltoServer. Contact your "
                               "system administrator for assistance.")))
      << run.output;
}

TEST_F(UtilityProgramTest, RemoveTakesDataSourcesAndFileDsnsOutOfTheirScope) {
  StartServer();
  for (const char* system : {"0", "1"}) {
    box_.SetServiceValue("SvcSystemDSN", system);
    std::string ini = std::string(system) == "1" ? box_.SystemIni() : box_.UserIni();
    ProgramRun update = Utility("click 100\nclick 2\n");
    ASSERT_EQ(ToolSandbox::IniSections(ini).size(), 2u) << system << update.output;
    ProgramRun run = Utility("click 101\nclick 101\nclick 103\nanswer 6\nclick 1\nclick 2\n");
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(run.Lines("box 48").empty()) << system;
    EXPECT_TRUE(ToolSandbox::IniSections(ini).empty()) << system;
    EXPECT_FALSE(std::filesystem::exists(box_.FileDsnPath(Registered("sales")))) << system;
    EXPECT_FALSE(std::filesystem::exists(box_.FileDsnPath(Registered("stock")))) << system;
  }
}

TEST_F(UtilityProgramTest, TheReportFileNamesWhatAnUpdateWouldDo) {
  StartServer();
  ToolSandbox::AddDsn(box_.UserIni(), Registered("sales"),
                      {{"Driver", "VeltoClient-Debug"}, {"ServerDSN", "sales"}});
  std::string file = box_.Path("report.txt");
  ProgramRun run = Utility("click 102\nclick 102\nsave " + file + "\nclick 1\nclick 2\n");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  std::string text = testing_registry::ReadFileText(file);
  EXPECT_NE(text.find("(127.0.0.1)\nData Sources to be added:\n\t" + Registered("stock") +
                      "\nData Sources to be updated:\n\t" + Registered("sales") +
                      "\nData Sources to be removed:\n\n"),
            std::string::npos)
      << text;
}

TEST_F(UtilityProgramTest, TheReportAndTheUpdateShowWhatIsRemoved) {
  StartServer();
  const std::string port = std::to_string(server_->port());
  const std::string other_port = std::to_string(server_->port() + 1);
  // Made by hand: velsrv no longer offers the first two; the third belongs
  // to another server on this host, which nobody asked.
  ToolSandbox::AddDsn(box_.UserIni(), "mine",
                      {{"Driver", "VeltoClient-Debug"},
                       {"ServerName", "127.0.0.1." + port},
                       {"UID", "bob"},
                       {"PWD", "secret"}});
  ToolSandbox::AddDsn(box_.UserIni(), "colon",
                      {{"Driver", "VeltoClient-Debug"}, {"ServerName", "127.0.0.1:" + port}});
  ToolSandbox::AddDsn(box_.UserIni(), "neighbour",
                      {{"Driver", "VeltoClient-Debug"}, {"ServerName", "127.0.0.1." + other_port}});
  std::string file = box_.Path("report.txt");
  ProgramRun run =
      Utility("click 102\nclick 102\nsave " + file + "\nclick 1\nclick 100\nclick 2\n");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  std::string text = testing_registry::ReadFileText(file);
  EXPECT_NE(text.find("\nData Sources to be removed:\n\tmine\n\tcolon\n\n"), std::string::npos)
      << text;
  EXPECT_TRUE(run.Recorded(Box(64, "Added/updated 2 data sources. Removed 2 data sources.")))
      << testing::PrintToString(run.record);
  std::vector<std::string> left = ToolSandbox::IniSections(box_.UserIni());
  EXPECT_EQ(std::count(left.begin(), left.end(), "mine"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "colon"), 0);
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), "neighbour", "ServerName"),
            "127.0.0.1." + other_port);
}

TEST_F(UtilityProgramTest, AFailedWriteOfTheSettingsIsShown) {
  // odbcinst.ini as a folder: the settings beside the driver's entry
  // cannot be written.
  std::filesystem::remove(box_.OdbcInstIni());
  std::filesystem::create_directory(box_.OdbcInstIni());
  ProgramRun run = Utility("click 1\n");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_TRUE(run.Recorded(
      Box(48, "Failed to update INI file/Registry. Check that there is enough disk space.")))
      << run.output;
  EXPECT_TRUE(run.Recorded("end 2"));  // the dialog stayed open until cancelled
}

TEST_F(UtilityProgramTest, ASecondCopyTellsThatTheToolRunsAndEnds) {
  // This process stands for the copy that runs already.
  setenv("XDG_RUNTIME_DIR", box_.Path("run").c_str(), 1);
  setenv("VELTO_DIALOG_SCOPE", box_.root().c_str(), 1);
  ASSERT_EQ(PlatClaimInstance("velutl32"), PlatInstanceClaim::kFirst);
  ProgramRun run = Utility("click 2\n");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.output.find("velutl32: VeltoClient Configuration is already running."),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(run.Recorded("open VCCCONFIG"));
}

TEST_F(UtilityProgramTest, WithoutATerminalTheDialogIsNotOpened) {
  ProgramRun run = box_.Run({VELUTL_PATH}, nullptr, {{"VELTO_DIALOG_HOST", "none"}});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("velutl32: its dialogs need a terminal"), std::string::npos)
      << run.output;
  // Nor is a lock file left behind.
  std::error_code none;
  for (const auto& entry : std::filesystem::directory_iterator(box_.Path("run"), none))
    EXPECT_NE(entry.path().extension(), ".lock") << entry.path();
}

TEST_F(UtilityProgramTest, HelpSaysWhatTheProgramDoes) {
  for (const char* flag : {"--help", "-h"}) {
    ProgramRun run = box_.Run({VELUTL_PATH, flag}, nullptr, {{"VELTO_DIALOG_HOST", "none"}});
    EXPECT_EQ(run.exit_code, 0) << flag;
    EXPECT_NE(run.output.find("Usage: velutl32\nThe configuration utility"), std::string::npos)
        << run.output;
  }
}

}  // namespace

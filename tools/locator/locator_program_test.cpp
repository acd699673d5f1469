// velloc32 as its callers run it: a child process with a private ODBC
// configuration, against a velsrv on loopback or against nothing, its
// result read from the file it names and from its exit status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testing/fake_lookups.h"
#include "testing/registry_sandbox.h"
#include "testing/tool_sandbox.h"
#include "testing/velsrv_process.h"
#include "tools/shared/local_suffix.h"

namespace {

using testing_tools::ProgramRun;
using testing_tools::ToolSandbox;

// The name registration gives a data source of velsrv on 127.0.0.1: this
// host's addresses decide the local suffix.
std::string Registered(const std::string& name) {
  return AddLocalSuffix(name, Ipv4("127.0.0.1"));
}

// An exit status holds the low 8 bits of the result.
int ExitStatusOf(int result) {
  return result & 0xFF;
}

class LocatorTest : public ::testing::Test {
 protected:
  ProgramRun Locate(const std::string& file) {
    return box_.Run({VELLOC_PATH, box_.Path(file)}, nullptr);
  }
  std::string Result(const std::string& file) {
    return testing_registry::ReadFileText(box_.Path(file));
  }
  ToolSandbox box_{VEL_DRIVER_PATH};
};

TEST_F(LocatorTest, RegistersWhatAReachableServerOffers) {
  testing_velsrv::VelsrvProcess server(VELSRV_PATH, {"sales;Sales data", "stock"});
  ASSERT_TRUE(server.running());
  box_.SetClientValue("ServerList", server.Address());

  ProgramRun run = Locate("result");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(Result("result"), "0");
  const std::string sales = Registered("sales");
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), sales, "ServerDSN"), "sales");
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), sales, "Description"), "Sales data");
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), sales, "ServerName"),
            "127.0.0.1." + std::to_string(server.port()));
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), Registered("stock"), "ServerDSN"), "stock");
  EXPECT_TRUE(std::filesystem::exists(box_.FileDsnPath(sales)));
  std::string list = ToolSandbox::IniValue(box_.Path("registry/current_user.conf"),
                                           "Software\\Velto\\Client\\6.1", "ServerList");
  EXPECT_NE(list.find(":" + std::to_string(server.port())), std::string::npos) << list;
}

TEST_F(LocatorTest, AListLongerThanOneReplyIsTakenWhole) {
  std::vector<std::string> offered;
  for (int i = 1; i <= 250; ++i)
    offered.push_back("d" + std::to_string(i) + ";data source number " + std::to_string(i));
  testing_velsrv::VelsrvProcess server(VELSRV_PATH, offered);
  ASSERT_TRUE(server.running());
  box_.SetClientValue("ServerList", server.Address());
  // Registered by an earlier run, past where one reply ends.
  const std::string d200 = Registered("d200");
  ToolSandbox::AddDsn(box_.UserIni(), d200,
                      {{"Driver", "VeltoClient-Debug"},
                       {"ServerDSN", "d200"},
                       {"ServerName", "127.0.0.1." + std::to_string(server.port())},
                       {"UID", "bob"}});
  std::ofstream(box_.FileDsnPath(d200)) << "[ODBC]\nDSN=" << d200;

  ProgramRun run = Locate("result");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(ToolSandbox::IniSections(box_.UserIni()).size(), 250u);
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), Registered("d250"), "ServerDSN"), "d250");
  EXPECT_EQ(ToolSandbox::IniValue(box_.UserIni(), d200, "UID"), "bob");
  EXPECT_TRUE(std::filesystem::exists(box_.FileDsnPath(d200)));
  EXPECT_EQ(run.output.find("Removed"), std::string::npos) << run.output;
}

TEST_F(LocatorTest, RemovalsAreToldBesideTheResult) {
  testing_velsrv::VelsrvProcess server(VELSRV_PATH, {"sales"});
  ASSERT_TRUE(server.running());
  box_.SetClientValue("ServerList", server.Address());
  const std::string port = std::to_string(server.port());
  for (const char* name : {"mine", "yours"}) {
    ToolSandbox::AddDsn(box_.UserIni(), name,
                        {{"Driver", "VeltoClient-Debug"}, {"ServerName", "127.0.0.1:" + port}});
  }
  ProgramRun run = Locate("result");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(Result("result"), "0");
  EXPECT_NE(run.output.find("velloc32: Removed 2 data sources.\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(ToolSandbox::IniSections(box_.UserIni()),
            std::vector<std::string>{Registered("sales")});
}

TEST_F(LocatorTest, AnOfferedNameThatIsAPathWritesNothingOutsideTheFolder) {
  testing_velsrv::VelsrvProcess server(VELSRV_PATH, {"../../../evil", "sales"});
  ASSERT_TRUE(server.running());
  box_.SetClientValue("ServerList", server.Address());
  // File DSNs three folders down, so that "../../../" stays in the sandbox.
  const std::string folder = box_.Path("a/b/c/dsn");
  std::filesystem::create_directories(folder);
  ToolSandbox::AddDsn(box_.UserIni(), "ODBC File DSN", {{"DefaultDSNDir", folder}});
  ProgramRun run = Locate("result");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(box_.root())) {
    if (entry.path().string().find("DSN") != std::string::npos && entry.is_regular_file())
      files.push_back(entry.path().lexically_relative(box_.root()).string());
  }
  EXPECT_EQ(files,
            std::vector<std::string>{"a/b/c/dsn/" + Registered("sales") + " (not sharable).DSN"});
  std::vector<std::string> sections = ToolSandbox::IniSections(box_.UserIni());
  EXPECT_EQ(std::count(sections.begin(), sections.end(), Registered("../../../evil")), 0);
}

TEST_F(LocatorTest, AServerThatDoesNotAnswerFindsNothing) {
  box_.SetClientValue("ServerList", "127.0.0.1:1");  // nobody listens on port 1
  ProgramRun run = Locate("result");
  EXPECT_EQ(run.exit_code, 1) << run.output;
  EXPECT_EQ(Result("result"), "1");
  EXPECT_TRUE(ToolSandbox::IniSections(box_.UserIni()).empty());
}

TEST_F(LocatorTest, NoAnswerToTheBroadcastTimesOut) {
  if (!ToolSandbox::NetworkIsolationWorks()) GTEST_SKIP() << "no network namespace to broadcast in";
  box_.SetServiceValue("SvcEnableBroadcasting", "1");
  box_.SetServiceValue("SvcClntTimeOut", "0");
  ProgramRun run = box_.RunIsolated({VELLOC_PATH, box_.Path("result")}, nullptr);
  EXPECT_EQ(run.exit_code, ExitStatusOf(-4)) << run.output;
  EXPECT_EQ(Result("result"), "-4");
}

TEST_F(LocatorTest, AMissingDriverNameIsASetUpFailure) {
  testing_velsrv::VelsrvProcess server(VELSRV_PATH, {"sales"});
  ASSERT_TRUE(server.running());
  box_.SetClientValue("ServerList", server.Address());
  const std::string files[] = {
      // The name's identifier is missing from the message file.
      "<MESSAGES><S id=\"VEL_REG_CLI_VERSION\">6.1</S></MESSAGES>",
      // It is there with no text.
      "<MESSAGES><S id=\"VEL_REG_CLI_NAME\"></S></MESSAGES>",
  };
  for (const std::string& file : files) {
    std::ofstream(box_.Path("velloc_messages.xml")) << "<?xml version=\"1.0\"?>\n" << file;
    ProgramRun run = Locate("result");
    EXPECT_EQ(run.exit_code, ExitStatusOf(-5)) << file << "\n" << run.output;
    EXPECT_EQ(Result("result"), "-5") << file;
    EXPECT_TRUE(ToolSandbox::IniSections(box_.UserIni()).empty()) << file;
    EXPECT_NE(run.output.find("velloc32: its message file names no driver"), std::string::npos)
        << run.output;
  }
}

TEST_F(LocatorTest, WithoutAResourceLibraryNothingRuns) {
  // A copy of the program in a folder of its own finds no library beside it.
  std::string alone = box_.Path("velloc32");
  std::filesystem::copy_file(VELLOC_PATH, alone);
  ProgramRun run = box_.Run({alone, box_.Path("result")}, nullptr);
  EXPECT_EQ(run.exit_code, ExitStatusOf(-5)) << run.output;
  EXPECT_EQ(Result("result"), "-5");
  EXPECT_NE(run.output.find("velloc32: cannot load its resource library"), std::string::npos)
      << run.output;
}

TEST_F(LocatorTest, AnEmptyCommandLineWritesNoFile) {
  ProgramRun run = box_.Run({VELLOC_PATH}, nullptr);
  EXPECT_EQ(run.exit_code, ExitStatusOf(-5)) << run.output;
  EXPECT_NE(run.output.find("velloc32: no result file given"), std::string::npos) << run.output;
}

TEST_F(LocatorTest, AResultFileThatCannotBeOpenedIsAWriteFailure) {
  ProgramRun run = Locate("no/such/folder/result");
  EXPECT_EQ(run.exit_code, ExitStatusOf(-5)) << run.output;
  EXPECT_NE(run.output.find("velloc32: cannot write the result file " +
                            box_.Path("no/such/folder/result") + ": No such file"),
            std::string::npos)
      << run.output;
}

TEST_F(LocatorTest, TheWholeCommandLineIsThePath) {
  // No server to ask and broadcasting off: done, with nothing to register.
  ProgramRun run = box_.Run({VELLOC_PATH, box_.Path("my"), "result"}, nullptr);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(Result("my result"), "0");
}

TEST_F(LocatorTest, HelpTellsHowTheExitStatusReadsTheResult) {
  ProgramRun run = box_.Run({VELLOC_PATH, "--help"}, nullptr);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.output.find("Usage: velloc32 RESULT-FILE"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("-4 as 252"), std::string::npos) << run.output;
}

}  // namespace

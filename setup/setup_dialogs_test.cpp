// The four setup dialogs on a scripted host, run as ConfigDSN runs them
// with a window, over private ini files read back as text.
#include "setup/setup_dialogs.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <string>
#include <vector>

#include "setup/config_dsn.h"
#include "setup/setup_codes.h"
#include "setup/setup_module.h"
#include "testing/dialog_scripted_host.h"
#include "testing/fake_lookups.h"
#include "testing/installer_test_support.h"

namespace {

using namespace setup_testing;

const std::string kTitle = "VeltoClient ODBC Configuration";
// Box types: exclamation with OK, question with Yes and No, exclamation
// with Yes and No.
const std::string kNotice = "box 48 " + kTitle + "|";
const std::string kQuestion = "box 36 " + kTitle + "|";
const std::string kWarningYesNo = "box 52 " + kTitle + "|";

// The section of the user's odbc.ini, as the installer wrote it.
Section UserSection(const std::string& name) {
  return UserIni()[name];
}

class SetupDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseInstallerSandbox(nullptr); }

  void SetUp() override {
    SetupAttach(nullptr);
    before_ = DlgUseHost(&host_);
    lookup_.hosts = {{"hostA", {Ipv4("10.0.0.1")}},
                     {"hostB", {Ipv4("10.0.0.2")}},
                     {"hostC", {Ipv4("10.0.0.3")}},
                     {"hostD", {Ipv4("10.0.0.4")}}};
  }
  void TearDown() override {
    DlgUseHost(before_);
    SetupDetach();
  }

  // ConfigDSN with a window: the code the call ends with.
  uint32_t Run(const std::string& attributes, uint16_t request = ODBC_CONFIG_DSN) {
    return RunConfigDsn(&window_, request, kDriver, attributes.c_str()).code;
  }

  // Fills the four required fields of dialog 101.
  ScriptedDlgHost& Fill(const std::string& dsn, const std::string& server_dsn,
                        const std::string& host, const std::string& port) {
    return host_.Type(kIdcDsn, dsn)
        .Type(kIdcServerDsn, server_dsn)
        .Type(kIdcHost, host)
        .Type(kIdcPort, port);
  }

  // The last probe's line for the control, from "enabled=" on.
  std::string Probed(int id) const {
    std::string found;
    for (const std::string& line : host_.Lines("probe " + std::to_string(id) + " ")) found = line;
    return found.empty() ? "" : found.substr(found.find("enabled="));
  }

  ScriptedDlgHost host_;
  FakeLookups lookup_;
  DlgHost* before_ = nullptr;
  int window_ = 0;
};

TEST_F(SetupDialogTest, OkNeedsTheFourFields) {
  struct Row {
    const char* dsn;
    const char* server_dsn;
    const char* host;
    const char* port;
    bool enabled;
  };
  const Row rows[] = {
      {"Ok1", "srv", "hostA", "1583", true}, {"", "srv", "hostA", "1583", false},
      {"Ok1", "", "hostA", "1583", false},   {"Ok1", "srv", "", "1583", false},
      {"Ok1", "srv", "hostA", "", false},    {"Ok1", "srv", " ", "1583", true},
  };
  for (const Row& row : rows) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    host.Type(kIdcDsn, "x").Type(kIdcDsn, row.dsn).Type(kIdcServerDsn, "x");
    host.Type(kIdcServerDsn, row.server_dsn).Type(kIdcHost, "x").Type(kIdcHost, row.host);
    host.Type(kIdcPort, "x").Type(kIdcPort, row.port).Probe();
    EXPECT_EQ(Run(Attributes({})), kCfgCancelled);
    std::string expected = row.enabled ? "enabled=1" : "enabled=0";
    ASSERT_EQ(host.Lines("probe 1 ").size(), 1u);
    EXPECT_EQ(host.Lines("probe 1 ")[0].substr(8, 9), expected)
        << row.dsn << "|" << row.server_dsn << "|" << row.host << "|" << row.port;
  }
  DlgUseHost(&host_);

  // A host of blanks enables OK and is then refused.
  Fill("Ok1", "srv", " ", "1583").Click(IDOK);
  EXPECT_EQ(Run(Attributes({})), kCfgCancelled);
  EXPECT_EQ(host_.Lines("box"),
            std::vector<std::string>{kNotice + "This is a required field. Please enter data before "
                                               "continuing. -> 1 (default)"});
  EXPECT_TRUE(UserSection("Ok1").empty());
}

TEST_F(SetupDialogTest, OkWritesAllSixKeysAndTheFieldsShowTheDataSource) {
  MakeUserDsn("Six", kDriver,
              {{"Description", "old"},
               {"ServerName", "hostA.1583,hostB.1600"},
               {"ServerDSN", "s"},
               {"Other", "kept"}});
  host_.Probe().Type(kIdcDescription, "").Click(IDOK);
  EXPECT_EQ(Run(Attributes({"DSN=Six"})), kCfgDone);
  EXPECT_EQ(Probed(kIdcDsn).substr(0, 40), "enabled=1 visible=1 check=0 text=Six lin");
  EXPECT_NE(Probed(kIdcDescription).find("text=old "), std::string::npos);
  EXPECT_NE(Probed(kIdcHost).find("text=hostA "), std::string::npos);
  EXPECT_NE(Probed(kIdcPort).find("text=1583 "), std::string::npos);
  EXPECT_NE(Probed(kIdcServerDsn).find("text=s "), std::string::npos);
  Section expected = {
      {"Driver", kDriver},   {"Description", ""},     {"ServerName", "hostA.1583,hostB.1600"},
      {"ServerDSN", "s"},    {"Other", "kept"},       {"UID", ""},
      {"ArrayFetchOn", "1"}, {"ArrayBufferSize", "8"}};
  EXPECT_EQ(UserSection("Six"), expected);
  EXPECT_EQ(host_.Lines("end"), std::vector<std::string>{"end 0"});
}

TEST_F(SetupDialogTest, OptionsCheckTheBufferSizeAndStoreNumbers) {
  const std::string invalid = kNotice +
                              "Array Fetch Buffer Size: must be a number in the range 1 - 64"
                              " -> 1 (default)";
  struct Row {
    const char* dsn;
    bool uncheck;
    const char* size;
    std::vector<std::string> boxes;
    const char* array_fetch;  // written, or null when the options stay open
    const char* buffer_size;
  };
  const Row rows[] = {
      {"Opt1", false, "08", {}, "1", "8"},
      {"Opt2", true, "16", {}, "0", "16"},
      {"Opt3", true, "", {invalid}, nullptr, nullptr},
      {"Opt4", false, "65", {invalid}, nullptr, nullptr},
  };
  for (const Row& row : rows) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    host.Type(kIdcDsn, row.dsn).Type(kIdcServerDsn, "s").Type(kIdcHost, "hostA");
    host.Type(kIdcPort, "1").Click(kIdcOptions).Type(kIdcBufferSize, row.size);
    if (row.uncheck) host.Click(kIdcArrayFetch);
    host.Probe().Click(IDOK);
    if (row.array_fetch != nullptr) host.Click(IDOK);
    uint32_t code = Run(Attributes({}));
    EXPECT_EQ(host.Lines("box"), row.boxes) << row.dsn;
    // Unchecked, the size field is disabled and OK stays enabled.
    EXPECT_EQ(host.Lines("probe 1202 ")[0].substr(11, 9), row.uncheck ? "enabled=0" : "enabled=1");
    EXPECT_EQ(host.Lines("probe 1 ").back().substr(8, 9), "enabled=1") << row.dsn;
    if (row.array_fetch == nullptr) {
      EXPECT_EQ(code, kCfgCancelled) << row.dsn;
      EXPECT_TRUE(UserSection(row.dsn).empty()) << row.dsn;
      EXPECT_EQ(host.Lines("focus 1202").size(), 1u) << row.dsn;
    } else {
      EXPECT_EQ(code, kCfgDone) << row.dsn;
      EXPECT_EQ(UserSection(row.dsn)["ArrayFetchOn"], row.array_fetch) << row.dsn;
      EXPECT_EQ(UserSection(row.dsn)["ArrayBufferSize"], row.buffer_size) << row.dsn;
    }
  }
  DlgUseHost(&host_);

  // Checked with an empty size, OK is disabled.
  host_.Click(kIdcOptions).Type(kIdcBufferSize, "").Probe();
  Run(Attributes({"DSN=Opt5"}));
  EXPECT_EQ(Probed(IDOK).substr(0, 9), "enabled=0");
}

TEST_F(SetupDialogTest, RefusedFieldsAreNamedAndFocused) {
  const std::string bad_name =
      "'%s'\n cannot be used as a data source name. Make sure that it \ncontains at least one "
      "non-blank character, and that it doesn't contain any of\nthe following characters: [ ] "
      "{ } ( ) ? * = ! @ ,  -> 1 (default)";
  auto named = [&](const std::string& name) {
    return kNotice + std::string(bad_name).replace(1, 2, name);
  };
  struct Row {
    const char* dsn;
    const char* server_dsn;
    const char* port;
    std::string box;
    int focus;
  };
  const Row rows[] = {
      {"Re[fused", "s", "1", named("Re[fused"), kIdcDsn},
      {"Refused", "  ", "1", named("  "), kIdcServerDsn},
      {"Refused", "s", "70000", kNotice + "Port must be in the range 1 - 65535. -> 1 (default)",
       kIdcPort},
      {"Refused", "s", "4294967297",
       kNotice + "Port must be in the range 1 - 65535. -> 1 (default)", kIdcPort},
      // The installer trims section names when it reads them.
      {" Refused ", "s", "1", named(" Refused "), kIdcDsn},
  };
  for (const Row& row : rows) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    host.Type(kIdcDsn, row.dsn).Type(kIdcServerDsn, row.server_dsn).Type(kIdcHost, "hostA");
    host.Type(kIdcPort, row.port).Click(IDOK);
    EXPECT_EQ(Run(Attributes({})), kCfgCancelled);
    EXPECT_EQ(host.Lines("box"), std::vector<std::string>{row.box}) << row.dsn << row.port;
    EXPECT_EQ(host.Lines("focus").back(), "focus " + std::to_string(row.focus));
  }
  DlgUseHost(&host_);
  EXPECT_TRUE(UserSection("Refused").empty());

  // A server data source name that its field cannot hold whole would be
  // written cut.
  const std::string server_dsn(40, 's');
  MakeUserDsn("LongServerDsn", kDriver, {{"ServerName", "hostA.1"}, {"ServerDSN", server_dsn}});
  host_.Click(IDOK).Click(IDCANCEL);
  EXPECT_EQ(Run(Attributes({"DSN=LongServerDsn"})), kCfgCancelled);
  EXPECT_EQ(host_.Lines("box"), std::vector<std::string>{named(server_dsn.substr(0, 32))});
  EXPECT_EQ(host_.Lines("focus").back(), "focus " + std::to_string(kIdcServerDsn));
  EXPECT_EQ(UserSection("LongServerDsn")["ServerDSN"], server_dsn);
}

TEST_F(SetupDialogTest, AFailedWriteIsShownAndTheDialogStaysOpen) {
  MakeUserDsn("TheirsToo", "SQLite3", {{"Database", "x.db"}});
  // A line break cannot be written to the ini file.
  Fill("Broken", "s", "hostA", "1").Type(kIdcDescription, "one\ntwo").Click(IDOK);
  Fill("TheirsToo", "s", "hostA", "1").Type(kIdcDescription, "").Click(IDOK);
  EXPECT_EQ(Run(Attributes({})), kCfgCancelled);
  std::vector<std::string> boxes = {
      kNotice + "An error occurred while writing to the ODBC.INI file. -> 1 (default)",
      kNotice +
          "'TheirsToo' is a data source of another driver; it was not changed. -> 1 "
          "(default)"};
  EXPECT_EQ(host_.Lines("box"), boxes);
  EXPECT_EQ(host_.Lines("end"), std::vector<std::string>{"end 1"});
  EXPECT_TRUE(UserSection("Broken").empty());
  EXPECT_EQ(UserSection("TheirsToo"), (Section{{"Driver", "SQLite3"}, {"Database", "x.db"}}));
}

TEST_F(SetupDialogTest, APrimaryRepeatingASecondaryIsOfferedForRemoval) {
  MakeUserDsn("Dup", kDriver, {{"ServerName", "hostA.1,hostB.2,hostC.3"}, {"ServerDSN", "s"}});
  // No: no box, the host field has the focus and the dialog stays open.
  host_.Type(kIdcHost, "hostB").Type(kIdcPort, "2").Click(IDOK).Answer(IDNO);
  // Yes: that secondary goes before the write.
  host_.Click(IDOK).Answer(IDYES);
  EXPECT_EQ(Run(Attributes({"DSN=Dup"})), kCfgDone);
  const std::string question =
      "A duplicate server has been found in the Secondary Server list.\nIf you proceed the "
      "duplicate will be removed from the list.\nDo you want to Continue?";
  EXPECT_EQ(host_.Lines("box"), (std::vector<std::string>{kWarningYesNo + question + " -> 7",
                                                          kWarningYesNo + question + " -> 6"}));
  EXPECT_EQ(host_.Lines("focus 1105").size(), 1u);
  EXPECT_EQ(UserSection("Dup")["ServerName"], "hostB.2,hostC.3");
}

TEST_F(SetupDialogTest, APrimaryOnASecondarysMachineWithAnotherPortIsAServerOfItsOwn) {
  MakeUserDsn("Beside", kDriver, {{"ServerName", "hostA.1,hostB.2"}, {"ServerDSN", "s"}});
  host_.Type(kIdcHost, "10.0.0.2").Click(IDOK);
  EXPECT_EQ(Run(Attributes({"DSN=Beside"})), kCfgDone);
  EXPECT_TRUE(host_.Lines("box").empty());
  EXPECT_EQ(UserSection("Beside")["ServerName"], "10.0.0.2.1,hostB.2");
}

TEST_F(SetupDialogTest, AnUnknownPrimaryHostIsAskedAbout) {
  Fill("Unknown", "s", "nowhere", "1").Click(IDOK).Answer(IDNO).Click(IDOK).Answer(IDYES);
  EXPECT_EQ(Run(Attributes({})), kCfgDone);
  const std::string question =
      kQuestion + "Server 'nowhere' cannot be found. Do you want to continue?";
  EXPECT_EQ(host_.Lines("box"), (std::vector<std::string>{question + " -> 7", question + " -> 6"}));
  EXPECT_EQ(UserSection("Unknown")["ServerName"], "nowhere.1");
}

TEST_F(SetupDialogTest, SecondaryServersAreAddedModifiedAndRemoved) {
  MakeUserDsn("Edit", kDriver, {{"ServerName", "hostA.1,hostB.2"}, {"ServerDSN", "s"}});
  host_.Click(kIdcSecondaryServers);
  // Add: the primary's address and port are refused, a new machine is
  // added.
  host_.Click(kIdcAddServer).Type(kIdcServerHost, "10.0.0.1").Type(kIdcServerPort, "1");
  host_.Click(IDOK).Type(kIdcServerHost, "hostC").Click(IDOK);
  // Modify by double click, keeping the host, changing the port.
  host_.DoubleClick(kIdcServerLines, 0).Probe().Type(kIdcServerPort, "20").Click(IDOK);
  // Remove the new one after the question.
  host_.Select(kIdcServerLines, {1}).Click(kIdcRemoveServer).Answer(IDYES).Probe();
  host_.Click(IDOK).Click(IDOK);
  EXPECT_EQ(Run(Attributes({"DSN=Edit"})), kCfgDone);
  EXPECT_EQ(
      host_.Lines("box"),
      (std::vector<std::string>{
          kNotice + "Duplicate addresses are not permitted in the server list. -> 1 (default)",
          kQuestion + "Are you sure you want to remove the server? -> 6"}));
  EXPECT_EQ(host_.Lines("caption"),
            (std::vector<std::string>{"caption Add Server", "caption Modify Server"}));
  EXPECT_NE(Probed(kIdcServerHost).find("text=hostB "), std::string::npos);
  EXPECT_NE(Probed(kIdcServerLines).find("lines=hostB\t20 sel="), std::string::npos)
      << Probed(kIdcServerLines);
  EXPECT_EQ(UserSection("Edit")["ServerName"], "hostA.1,hostB.20");
}

TEST_F(SetupDialogTest, ServersOnOneMachineAreKeptApartByTheirPorts) {
  MakeUserDsn("Ports", kDriver, {{"ServerName", "hostA.1,hostA.2,hostA:3"}, {"ServerDSN", "s"}});
  host_.Click(kIdcSecondaryServers).Probe();
  // Another port of the machine is added; its address on a listed port is
  // refused.
  host_.Click(kIdcAddServer).Type(kIdcServerHost, "hostA").Type(kIdcServerPort, "4").Click(IDOK);
  host_.Click(kIdcAddServer).Type(kIdcServerHost, "10.0.0.1").Type(kIdcServerPort, "2");
  host_.Click(IDOK).Click(IDCANCEL);
  // Remove and Modify act on the line chosen, not on the first line of
  // its host.
  host_.Select(kIdcServerLines, {1}).Click(kIdcRemoveServer).Answer(IDYES);
  host_.Select(kIdcServerLines, {0}).Click(kIdcModifyServer).Type(kIdcServerPort, "5");
  host_.Click(IDOK).Probe().Click(IDOK).Click(IDOK);
  EXPECT_EQ(Run(Attributes({"DSN=Ports"})), kCfgDone);
  EXPECT_EQ(
      host_.Lines("box"),
      (std::vector<std::string>{
          kNotice + "Duplicate addresses are not permitted in the server list. -> 1 (default)",
          kQuestion + "Are you sure you want to remove the server? -> 6"}));
  const std::vector<std::string> probes = host_.Lines("probe 1304 ");
  ASSERT_EQ(probes.size(), 2u);
  EXPECT_NE(probes[0].find("lines=hostA\t2|hostA\t3 sel=0"), std::string::npos) << probes[0];
  EXPECT_NE(probes[1].find("lines=hostA\t5|hostA\t4 sel=0"), std::string::npos) << probes[1];
  EXPECT_EQ(UserSection("Ports")["ServerName"], "hostA.1,hostA.5,hostA.4");
}

TEST_F(SetupDialogTest, CancelInTheSecondaryServersRestoresBothLists) {
  MakeUserDsn("Restore", kDriver, {{"ServerName", "hostA.1,hostB.2"}, {"ServerDSN", "s"}});
  host_.Type(kIdcHost, "hostC").Type(kIdcPort, "3").Click(kIdcSecondaryServers);
  host_.Click(kIdcAddServer).Type(kIdcServerHost, "hostD").Type(kIdcServerPort, "4").Click(IDOK);
  host_.Click(kIdcAddServer).Type(kIdcServerHost, "10.0.0.9").Type(kIdcServerPort, "5");
  host_.Click(IDOK).Click(IDCANCEL);
  // hostD may be added again: the resolved list was restored with the
  // server list.
  host_.Click(kIdcSecondaryServers).Probe().Click(kIdcAddServer).Type(kIdcServerHost, "hostD");
  host_.Type(kIdcServerPort, "4").Click(IDOK).Click(IDOK).Click(IDOK);
  EXPECT_EQ(Run(Attributes({"DSN=Restore"})), kCfgDone);
  EXPECT_TRUE(host_.Lines("box").empty());
  EXPECT_NE(Probed(kIdcServerLines).find("lines=hostB\t2 sel="), std::string::npos);
  EXPECT_EQ(UserSection("Restore")["ServerName"], "hostC.3,hostB.2,hostD.4");
}

TEST_F(SetupDialogTest, CancelWritesNothingAndIsNoFailure) {
  Fill("Cancelled", "s", "hostA", "1").Click(IDCANCEL);
  EXPECT_TRUE(ConfigDsnEntry(&window_, ODBC_ADD_DSN, kDriver, Attributes({}).c_str()));
  EXPECT_TRUE(UserSection("Cancelled").empty());
}

TEST_F(SetupDialogTest, AFullListBoxEndsTheSecondaryServers) {
  MakeUserDsn("Full", kDriver, {{"ServerName", "hostA.1,hostB.2,hostC.3"}, {"ServerDSN", "s"}});
  host_.SetListCapacity(kIdcServerLines, 1);
  host_.Click(kIdcSecondaryServers).Click(IDCANCEL);
  EXPECT_EQ(Run(Attributes({"DSN=Full"})), kCfgCancelled);
  EXPECT_EQ(host_.Lines("box"),
            std::vector<std::string>{kNotice + "Failed to allocate memory. -> 1 (default)"});
  EXPECT_EQ(host_.Lines("end"), (std::vector<std::string>{"end 20017", "end 1"}));
}

TEST_F(SetupDialogTest, ASilentCallShowsNothing) {
  // A name and its address are one machine; the look-up shows no cursor.
  ConfigOutcome outcome =
      RunConfigDsn(nullptr, ODBC_ADD_DSN, kDriver,
                   Attributes({"DSN=Quiet", "ServerName=hostA.1,10.0.0.1.1"}).c_str());
  EXPECT_EQ(outcome.code, kCfgDone);
  EXPECT_EQ(UserSection("Quiet")["ServerName"], "hostA.1");
  EXPECT_GT(lookup_.lookups, 0);
  EXPECT_TRUE(host_.Record().empty());
}

}  // namespace

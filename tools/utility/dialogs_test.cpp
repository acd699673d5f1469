// The utility's dialogs on the scripted host, in process: the enabling and
// validation rules of the main and advanced dialogs, the remove dialog
// over the installer's files, and the report's list, details and file
// over servers behind fake driver exports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "common/profile.h"
#include "common/res_dll.h"
#include "platform/odbc_dsn.h"
#include "testing/dialog_scripted_host.h"
#include "testing/fake_lookups.h"
#include "testing/registry_sandbox.h"
#include "testing/temp_dir.h"
#include "testing/tool_sandbox.h"
#include "tools/shared/dsn_store.h"
#include "tools/shared/tool_text.h"
#include "tools/utility/advanced_dialog.h"
#include "tools/utility/config_dialog.h"
#include "tools/utility/remove_dialog.h"
#include "tools/utility/report_dialog.h"
#include "tools/utility/utility_context.h"

namespace {

constexpr const char kDriver[] = "VeltoClient-Debug";
const std::string kHoursError =
    "box 48 VeltoClient Configuration|You have entered an invalid update frequency. Enter a "
    "valid update frequency in the range 1 to 744 hours. -> 1 (default)";

// Servers behind the driver's exports: the first candidate lists them and
// each gives its data sources.
struct FakeServers {
  std::string server_list;
  std::map<std::string, std::string> data_sources;

  DriverExports Exports() {
    DriverExports e;
    e.get_server_list = [this](const char*, const char*, char* buffer, int32_t size) -> int16_t {
      std::snprintf(buffer, static_cast<size_t>(size), "%s", server_list.c_str());
      return 0;
    };
    e.get_data_sources = [this](const char* server, const char*, uint8_t* buffer,
                                int32_t* size) -> int16_t {
      auto it = data_sources.find(server);
      if (it == data_sources.end()) return -20;
      std::memcpy(buffer, it->second.data(), it->second.size());
      *size = static_cast<int32_t>(it->second.size());
      return 0;
    };
    return e;
  }
};

// "enabled" of every probed control of the last probe, by id.
std::map<int, bool> Enabled(const std::vector<std::string>& probes) {
  std::map<int, bool> enabled;
  for (const std::string& line : probes) {
    int id = 0, on = 0;
    if (std::sscanf(line.c_str(), "probe %d enabled=%d", &id, &on) == 2) enabled[id] = on != 0;
  }
  return enabled;
}

std::string ProbedLines(const std::vector<std::string>& probes, int id) {
  std::string prefix = "probe " + std::to_string(id) + " ";
  for (const std::string& line : probes) {
    if (line.rfind(prefix, 0) != 0) continue;
    size_t at = line.find(" lines=");
    return line.substr(at + 7, line.find(" sel=") - at - 7);
  }
  return "?";
}

class UtilityDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const testing_registry::Sandbox& box = testing_registry::UseSandbox();
    std::filesystem::create_directories(box.odbc_sys_dir + "/ODBCDataSources");
    ASSERT_EQ(ResDllLoad(VEL_RSTOOL_PATH), 1);
  }
  void SetUp() override {
    lookups_.hosts["db1"] = {Ipv4("10.0.0.9")};
    lookups_.services["sqlsrv"] = 1433;
    env_.driver_name = kDriver;
    env_.driver = fake_.Exports();
    std::memset(&settings_, 0, sizeof settings_);
    settings_.use_server_list = 1;
    std::snprintf(settings_.server_list, sizeof settings_.server_list, "a:1583");
    settings_.svc_srv_port = 1583;
    settings_.svc_port = 1599;
    settings_.enable_auto_update = 1;
    settings_.update_every_x_hour_sec = 12 * 3600;
    context_.env = &env_;
    context_.settings = &settings_;
    context_.help_file = "/opt/velto/velutl32.hlp";
    before_ = DlgUseHost(&host_);
  }
  void TearDown() override {
    DlgUseHost(before_);
    std::vector<std::string> names;
    for (PlatDsnScope scope : {PlatDsnScope::kUser, PlatDsnScope::kSystem}) {
      PlatDsnList(scope, &names);
      for (const std::string& name : names) PlatDsnRemove(scope, name);
    }
  }
  DlgResult Run(const char* name, DlgProc proc) {
    return DialogBoxParam(ResDllHandle(), name, nullptr, proc,
                          reinterpret_cast<DlgLParam>(&context_));
  }
  bool Recorded(const std::string& line) const {
    for (const std::string& r : host_.Record()) {
      if (r == line) return true;
    }
    return false;
  }
  static void Install(PlatDsnScope scope, const std::string& name, const std::string& driver) {
    ASSERT_TRUE(PlatDsnCreate(scope, name, driver));
    ASSERT_TRUE(WriteFileDsn(name));
  }
  // Read from the file itself: the installer keeps values it has read.
  static bool Installed(PlatDsnScope scope, const std::string& name) {
    const testing_registry::Sandbox& box = testing_registry::UseSandbox();
    std::string file =
        scope == PlatDsnScope::kSystem ? box.odbc_sys_dir + "/odbc.ini" : box.odbc_user_ini;
    for (const std::string& section : testing_tools::ToolSandbox::IniSections(file)) {
      if (section == name) return true;
    }
    return false;
  }

  FakeLookups lookups_;
  FakeServers fake_;
  ToolEnv env_;
  ServiceSettings settings_;
  UtilityContext context_;
  ScriptedDlgHost host_;
  DlgHost* before_ = nullptr;
};

TEST_F(UtilityDialogTest, TheHoursMustBeAWholeNumberFromOneTo744) {
  const struct {
    const char* text;
    bool accepted;
    int32_t stored;
  } cases[] = {
      {"0", false, 0},  {"745", false, 0},      {"12a", false, 0},
      {"-3", false, 0}, {"744", true, 2678400}, {" 12", true, 43200},
  };
  for (const auto& c : cases) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    settings_.update_every_x_hour_sec = 7200;
    host.Type(kCfgHours, c.text).Click(IDOK);
    DlgResult ended = Run("VCCCONFIG", ConfigDlgProc);
    std::vector<std::string> boxes = host.Lines("box");
    if (c.accepted) {
      EXPECT_EQ(ended, IDOK) << c.text;
      EXPECT_TRUE(boxes.empty()) << c.text;
      EXPECT_EQ(settings_.update_every_x_hour_sec, c.stored) << c.text;
      char written[32];
      ProfileReadString(kOdbcInstKey, kDriver, "UpdateEveryXHourSec", "", written, sizeof written);
      EXPECT_EQ(std::string(written), std::to_string(c.stored)) << c.text;
      EXPECT_FALSE(host.Lines("help 2 0 /opt/velto/velutl32.hlp").empty()) << c.text;
    } else {
      EXPECT_EQ(ended, IDCANCEL) << c.text;
      ASSERT_EQ(boxes.size(), 1u) << c.text;
      EXPECT_EQ(boxes[0], kHoursError) << c.text;
      EXPECT_FALSE(host.Lines("focus 108").empty()) << c.text;
      EXPECT_EQ(settings_.update_every_x_hour_sec, 7200) << c.text;
    }
  }
  DlgUseHost(&host_);
}

TEST_F(UtilityDialogTest, TheButtonsFollowAutomaticUpdateAndTheHours) {
  const struct {
    const char* what;
    std::string script;
    std::map<int, bool> expected;
  } cases[] = {
      {"as read",
       "",
       {{106, true}, {107, true}, {108, true}, {100, true}, {101, true}, {102, true}, {1, true}}},
      {"automatic update off",
       "click 105\ntype 108 \n",
       {{106, false}, {107, false}, {108, false}, {100, true}, {1, true}}},
      {"at every start", "click 106\n", {{106, true}, {107, true}, {108, false}, {1, true}}},
      {"hours emptied",
       "type 108 \n",
       {{108, true}, {100, false}, {101, false}, {102, false}, {1, false}}},
      {"hours emptied, then every start",
       "type 108 \nclick 106\n",
       {{108, false}, {100, true}, {101, true}, {102, true}, {1, true}}},
      {"back to every N hours with none",
       "type 108 \nclick 106\nclick 107\n",
       {{108, true}, {100, false}, {1, false}}},
  };
  for (const auto& c : cases) {
    ScriptedDlgHost host;
    ASSERT_TRUE(host.AddScript(c.script + "probe\n")) << c.what;
    DlgUseHost(&host);
    ServiceSettings kept = settings_;
    Run("VCCCONFIG", ConfigDlgProc);
    std::map<int, bool> enabled = Enabled(host.Lines("probe"));
    for (const auto& [id, on] : c.expected) EXPECT_EQ(enabled[id], on) << c.what << ": " << id;
    settings_ = kept;
  }
  DlgUseHost(&host_);
}

TEST_F(UtilityDialogTest, TheLabelOfTheHoursFollowsAutomaticUpdate) {
  host_.Click(kCfgAutoUpdate);
  Run("VCCCONFIG", ConfigDlgProc);
  EXPECT_TRUE(Recorded("enable -1 0"));
  EXPECT_EQ(settings_.enable_auto_update, 0u);
}

TEST_F(UtilityDialogTest, ChecksAndRadiosSetTheSettingsAtOnce) {
  host_.Click(kCfgSystemDsn).Click(kCfgEveryStart);
  Run("VCCCONFIG", ConfigDlgProc);
  EXPECT_EQ(settings_.system_dsn, 1u);
  EXPECT_EQ(settings_.update_always, 1u);
}

TEST_F(UtilityDialogTest, TheAdvancedDialogChecksTheServerAndThePort) {
  const struct {
    const char* server;
    const char* port;
    const char* box;  // null: accepted
    int focus;
    uint16_t stored;
  } cases[] = {
      {"db1", "1600", nullptr, 0, 1600},
      {"10.0.0.5", "sqlsrv", nullptr, 0, 1433},
      {"db1", "65535", nullptr, 0, 65535},
      {"db1", "0", "You have entered an invalid port or service name.", 110, 0},
      {"db1", "65536", "You have entered an invalid port or service name.", 110, 0},
      {"db1", "nosuchservice", "You have entered an invalid port or service name.", 110, 0},
      {"nohost", "1600", "You have entered an unknown computer name.", 109, 0},
  };
  for (const auto& c : cases) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    std::snprintf(settings_.svc_server, sizeof settings_.svc_server, "old");
    settings_.svc_srv_port = 1583;
    host.Type(kAdvServer, c.server).Type(kAdvPort, c.port).Click(IDOK);
    DlgResult ended = Run("VCCCONFIG2", AdvancedDlgProc);
    std::vector<std::string> boxes = host.Lines("box");
    if (c.box == nullptr) {
      EXPECT_EQ(ended, IDOK) << c.server << " " << c.port;
      EXPECT_TRUE(boxes.empty()) << c.server << " " << c.port;
      EXPECT_STREQ(settings_.svc_server, c.server);
      EXPECT_EQ(settings_.svc_srv_port, c.stored) << c.port;
    } else {
      EXPECT_EQ(ended, IDCANCEL) << c.server << " " << c.port;
      ASSERT_EQ(boxes.size(), 1u) << c.server << " " << c.port;
      EXPECT_NE(boxes[0].find(c.box), std::string::npos) << boxes[0];
      EXPECT_FALSE(host.Lines("focus " + std::to_string(c.focus)).empty()) << c.port;
      EXPECT_EQ(settings_.svc_srv_port, 1583) << c.port;
    }
  }
  DlgUseHost(&host_);
}

TEST_F(UtilityDialogTest, AdvancedOkNeedsBothFields) {
  for (int emptied : {static_cast<int>(kAdvServer), static_cast<int>(kAdvPort)}) {
    ScriptedDlgHost host;
    DlgUseHost(&host);
    std::snprintf(settings_.svc_server, sizeof settings_.svc_server, "db1");
    host.Type(emptied, "").Probe().Click(IDOK);
    EXPECT_EQ(Run("VCCCONFIG2", AdvancedDlgProc), IDCANCEL);
    EXPECT_FALSE(Enabled(host.Lines("probe"))[IDOK]) << emptied;
    EXPECT_FALSE(host.Lines("refused 1").empty()) << emptied;
  }
  DlgUseHost(&host_);
}

TEST_F(UtilityDialogTest, TheMainDialogTakesTheAdvancedSettingsOnlyOnOk) {
  host_.Click(kCfgAdvanced).Type(kAdvServer, "db1").Type(kAdvPort, "1700").Click(IDCANCEL);
  host_.Click(kCfgAdvanced).Type(kAdvServer, "db1").Type(kAdvPort, "1800").Click(IDOK);
  host_.Click(IDCANCEL);
  Run("VCCCONFIG", ConfigDlgProc);
  EXPECT_STREQ(settings_.svc_server, "db1");
  EXPECT_EQ(settings_.svc_srv_port, 1800);
}

TEST_F(UtilityDialogTest, RemoveListsThisDriversDataSourcesAndRemovesTheChosenOnes) {
  Install(PlatDsnScope::kUser, "Sales", kDriver);
  Install(PlatDsnScope::kUser, "Stock_C32", kDriver);
  Install(PlatDsnScope::kUser, "Other", "SomeOtherDriver");
  host_.Probe().Select(kRmvList, {0, 1}).Probe().Click(kRmvRemove).Answer(IDYES).Probe();
  Run("VCCREMOVE", RemoveDlgProc);
  std::vector<std::string> probes = host_.Lines("probe");
  ASSERT_EQ(probes.size() % 3, 0u);
  size_t each = probes.size() / 3;
  std::vector<std::string> first(probes.begin(), probes.begin() + each);
  std::vector<std::string> chosen(probes.begin() + each, probes.begin() + 2 * each);
  std::vector<std::string> after(probes.begin() + 2 * each, probes.end());
  EXPECT_EQ(ProbedLines(first, kRmvList), "Sales|Stock_C32");
  EXPECT_EQ(Enabled(first), (std::map<int, bool>{{kRmvList, true},
                                                 {kRmvDeselectAll, false},
                                                 {kRmvSelectAll, true},
                                                 {kRmvRemove, false},
                                                 {IDOK, true},
                                                 {IDCANCEL, true},
                                                 {2000, true}}));
  std::map<int, bool> all = Enabled(chosen);
  EXPECT_TRUE(all[kRmvRemove]);
  EXPECT_TRUE(all[kRmvDeselectAll]);
  EXPECT_FALSE(all[kRmvSelectAll]);
  EXPECT_EQ(ProbedLines(after, kRmvList), "");
  EXPECT_FALSE(Enabled(after)[kRmvSelectAll]);

  EXPECT_FALSE(Installed(PlatDsnScope::kUser, "Sales"));
  EXPECT_FALSE(Installed(PlatDsnScope::kUser, "Stock_C32"));
  EXPECT_TRUE(Installed(PlatDsnScope::kUser, "Other"));
  EXPECT_FALSE(std::filesystem::exists(FileDsnPath("Sales")));
  EXPECT_FALSE(std::filesystem::exists(FileDsnPath("Stock_C32")));
  EXPECT_TRUE(std::filesystem::exists(FileDsnPath("Other")));
}

TEST_F(UtilityDialogTest, RemoveActsOnTheSystemFileWithTheSystemFlag) {
  settings_.system_dsn = 1;
  Install(PlatDsnScope::kSystem, "Sales", kDriver);
  Install(PlatDsnScope::kUser, "Mine", kDriver);
  host_.Click(kRmvSelectAll).Click(kRmvRemove).Answer(IDYES);
  Run("VCCREMOVE", RemoveDlgProc);
  EXPECT_FALSE(Installed(PlatDsnScope::kSystem, "Sales"));
  EXPECT_TRUE(Installed(PlatDsnScope::kUser, "Mine"));
  EXPECT_TRUE(host_.Lines("box 48").empty());
}

TEST_F(UtilityDialogTest, RemoveAnsweredNoKeepsEverything) {
  Install(PlatDsnScope::kUser, "Sales", kDriver);
  host_.Select(kRmvList, {0}).Click(kRmvRemove).Answer(IDNO);
  Run("VCCREMOVE", RemoveDlgProc);
  EXPECT_TRUE(Installed(PlatDsnScope::kUser, "Sales"));
  EXPECT_TRUE(std::filesystem::exists(FileDsnPath("Sales")));
}

TEST_F(UtilityDialogTest, AFileDsnThatCannotBeDeletedStopsTheRemoval) {
  Install(PlatDsnScope::kUser, "Alpha", kDriver);
  Install(PlatDsnScope::kUser, "Beta", kDriver);
  // A folder where Alpha's File DSN should be: it cannot be deleted as one.
  std::string blocked = FileDsnPath("Alpha");
  std::filesystem::remove(blocked);
  std::filesystem::create_directories(blocked + "/inside");
  host_.Click(kRmvSelectAll).Click(kRmvRemove).Answer(IDYES);
  Run("VCCREMOVE", RemoveDlgProc);
  std::filesystem::remove_all(blocked);
  EXPECT_TRUE(Recorded(
      "box 48 VeltoClient Configuration|Error removing data source, action is stopped. -> 1 "
      "(default)"));
  EXPECT_TRUE(Installed(PlatDsnScope::kUser, "Beta"));  // the action stopped before it
}

TEST_F(UtilityDialogTest, RemoveTakesTheChosenNameWholeHoweverLong) {
  // The first is what the others' first 98 characters name: it must stay.
  const std::string kept(98, 'n');
  std::vector<std::string> chosen;
  for (size_t length : {99, 120, 236, 255}) chosen.push_back(std::string(length, 'n'));
  ASSERT_TRUE(PlatDsnSetValue(PlatDsnScope::kUser, kept, "Driver", kDriver));
  for (const std::string& name : chosen)
    ASSERT_TRUE(PlatDsnSetValue(PlatDsnScope::kUser, name, "Driver", kDriver));
  host_.Select(kRmvList, {1, 2, 3, 4}).Click(kRmvRemove).Answer(IDYES);
  Run("VCCREMOVE", RemoveDlgProc);
  EXPECT_TRUE(host_.Lines("box 48").empty()) << testing::PrintToString(host_.Record());
  for (const std::string& name : chosen)
    EXPECT_FALSE(Installed(PlatDsnScope::kUser, name)) << name.size();
  EXPECT_TRUE(Installed(PlatDsnScope::kUser, kept));
}

TEST_F(UtilityDialogTest, ADataSourceFileThatCannotBeReadIsSaidSo) {
  TempDir dir;
  std::string unreadable = dir.Path("odbc.ini");
  std::filesystem::create_directory(unreadable);  // a folder where the file should be
  const std::string box = "box 48 VeltoClient Configuration|Can not read the data source file " +
                          unreadable + ". Check that it is a file you may read. -> 1 (default)";
  const struct {
    const char* dialog;
    DlgProc proc;
  } dialogs[] = {{"VCCREMOVE", RemoveDlgProc}, {"DSREPORT", ReportDlgProc}};
  const std::string user_ini = testing_registry::UseSandbox().odbc_user_ini;
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.dialog);
    ScriptedDlgHost host;
    DlgUseHost(&host);
    setenv("ODBCINI", unreadable.c_str(), 1);
    if (std::string(d.dialog) == "DSREPORT") {
      fake_.server_list = "Server=10.0.0.9;Port=1584;";
      fake_.data_sources["10.0.0.9.1584"] = std::string("Sales;\0\0", 8);
      RunReportDialog(nullptr, &context_);
    } else {
      Run(d.dialog, d.proc);
    }
    setenv("ODBCINI", user_ini.c_str(), 1);
    EXPECT_EQ(host.Lines("box"), std::vector<std::string>{box});
  }
  DlgUseHost(&host_);
}

class ReportDialogTest : public UtilityDialogTest {
 protected:
  void SetUp() override {
    UtilityDialogTest::SetUp();
    // 10.0.0.7 is this host (pc7): its data sources carry the local suffix.
    fake_.server_list = "Server=10.0.0.7;Port=1583;Server=10.0.0.9;Port=1584;";
    fake_.data_sources["10.0.0.7.1583"] = std::string("Sales;Sales data\0Stock;\0\0", 25);
    fake_.data_sources["10.0.0.9.1584"] = std::string("Sales;Sales data\0\0", 18);
    env_.driver = fake_.Exports();
    ASSERT_TRUE(PlatDsnCreate(PlatDsnScope::kUser, "Sales_C32", kDriver));
  }
  TempDir dir_;
};

TEST_F(ReportDialogTest, ListDetailsAndFileNameTheDataSourcesAlike) {
  std::string file = dir_.Path("report.txt");
  host_.Probe().Click(kRptDetails).Probe().Click(IDOK).Click(kRptSave).SaveAs(file).Click(IDOK);
  EXPECT_EQ(RunReportDialog(nullptr, &context_), IDOK);

  std::vector<std::string> probes = host_.Lines("probe");
  EXPECT_EQ(ProbedLines(probes, kRptList), "10.0.0.7\t1\t1\t0|10.0.0.9\t1\t0\t0");
  EXPECT_TRUE(Enabled(probes)[kRptDetails]);
  EXPECT_TRUE(Recorded("probe 101 enabled=1 visible=1 check=0 text=10.0.0.7 lines= sel="));
  bool detail_seen = false;
  for (const std::string& p : probes) {
    if (p.find("lines=Sales_C32\tUpdated|Stock_C32\tAdded") != std::string::npos)
      detail_seen = true;
  }
  EXPECT_TRUE(detail_seen);

  std::string text = testing_registry::ReadFileText(file);
  std::regex heading(
      "VeltoClient Configuration Data Source Report: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] "
      "[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(text, match, heading)) << text;
  EXPECT_EQ(match.position(0), 0);
  EXPECT_EQ(text.substr(static_cast<size_t>(match.length(0))),
            "Server: 10.0.0.7\n"
            "Data Sources to be added:\n\tStock_C32\n"
            "Data Sources to be updated:\n\tSales_C32\n"
            "Data Sources to be removed:\n\n"
            "Server: 10.0.0.9\n"
            "Data Sources to be added:\n\tSales\n"
            "Data Sources to be updated:\n"
            "Data Sources to be removed:\n\n");
}

TEST_F(ReportDialogTest, TheReportListsWhatTheUpdateWouldRemove) {
  const struct {
    const char* name;
    const char* server_name;
  } installed[] = {
      {"Old", "10.0.0.9.1584"},                 // its server answered without it: removed
      {"Older", "10.0.0.9:1584"},               // the same, in the other form
      {"Elsewhere", "10.0.0.9.1585"},           // another server on that host, not asked
      {"Sales", "10.0.0.7.1583"},               // withdrawn there, but 10.0.0.9 offers it
      {"Both", "10.0.0.7.1583,10.0.0.9.1584"},  // withdrawn by both
  };
  // A name registration leaves out is not reported as one it adds.
  fake_.data_sources["10.0.0.9.1584"] = std::string("Sales;Sales data\0../../evil;x\0\0", 31);
  env_.driver = fake_.Exports();
  for (const auto& dsn : installed) {
    ASSERT_TRUE(PlatDsnSetValue(PlatDsnScope::kUser, dsn.name, "Driver", kDriver));
    ASSERT_TRUE(PlatDsnSetValue(PlatDsnScope::kUser, dsn.name, "ServerName", dsn.server_name));
  }
  std::string file = dir_.Path("removed.txt");
  host_.Probe()
      .Select(kRptList, {1})
      .Click(kRptDetails)
      .Probe()
      .Click(IDOK)
      .Click(kRptSave)
      .SaveAs(file)
      .Click(IDOK);
  RunReportDialog(nullptr, &context_);
  std::vector<std::string> probes = host_.Lines("probe");
  EXPECT_EQ(ProbedLines(probes, kRptList), "10.0.0.7\t1\t1\t1|10.0.0.9\t0\t1\t3");
  bool detail_seen = false;
  for (const std::string& p : probes) {
    if (p.find("lines=Sales\tUpdated|Old\tRemoved|Older\tRemoved|Both\tRemoved") !=
        std::string::npos)
      detail_seen = true;
  }
  EXPECT_TRUE(detail_seen) << testing::PrintToString(probes);
  std::string text = testing_registry::ReadFileText(file);
  EXPECT_NE(text.find("Server: 10.0.0.7\n"
                      "Data Sources to be added:\n\tStock_C32\n"
                      "Data Sources to be updated:\n\tSales_C32\n"
                      "Data Sources to be removed:\n\tBoth\n\n"
                      "Server: 10.0.0.9\n"
                      "Data Sources to be added:\n"
                      "Data Sources to be updated:\n\tSales\n"
                      "Data Sources to be removed:\n\tOld\n\tOlder\n\tBoth\n\n"),
            std::string::npos)
      << text;
}

TEST_F(ReportDialogTest, AFileThatCannotBeCreatedIsSaid) {
  host_.Click(kRptSave).SaveAs(dir_.Path("no/such/folder/report.txt")).Click(IDOK);
  RunReportDialog(nullptr, &context_);
  EXPECT_TRUE(
      Recorded("box 0 VeltoClient Configuration|Can not create report file. -> 1 (default)"));
}

TEST_F(ReportDialogTest, NoServerToAskFindsNothing) {
  fake_.server_list = "";
  host_.Probe();
  RunReportDialog(nullptr, &context_);
  std::vector<std::string> probes = host_.Lines("probe");
  EXPECT_EQ(ProbedLines(probes, kRptList), "No data sources found");
  EXPECT_FALSE(Enabled(probes)[kRptDetails]);
  EXPECT_FALSE(Enabled(probes)[kRptSave]);
}

}  // namespace

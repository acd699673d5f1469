#include "tools/shared/registration.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/profile.h"
#include "platform/odbc_dsn.h"
#include "testing/fake_lookups.h"
#include "testing/name_list.h"
#include "testing/registry_sandbox.h"
#include "tools/shared/dsn_store.h"
#include "tools/shared/server_name_value.h"
#include "tools/shared/tool_status.h"

namespace {

constexpr char kDrivers[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI";
constexpr char kMachineOdbcIni[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI";
constexpr char kDriver[] = "VeltoClient-Debug";
constexpr char kLibrary[] = "/opt/velto/velclt32.so";

ServerEntry Offering(const char* address, uint16_t port, const std::string& list) {
  ServerEntry e;
  e.address = Ipv4(address);
  e.port = htons(port);
  AllocateOfferedList(&e, static_cast<uint32_t>(list.size()));
  std::memcpy(e.offered.data(), list.data(), list.size());
  return e;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const testing_registry::Sandbox& box = testing_registry::UseSandbox();
    file_dsn_dir_ = box.odbc_sys_dir + "/ODBCDataSources";
    std::filesystem::remove_all(file_dsn_dir_);
    std::filesystem::create_directory(file_dsn_dir_);
    for (PlatDsnScope scope : {PlatDsnScope::kUser, PlatDsnScope::kSystem}) {
      std::vector<std::string> names;
      ASSERT_TRUE(PlatDsnList(scope, &names));
      for (const std::string& n : names) PlatDsnRemove(scope, n);
    }
    ProfileWriteString(kDrivers, kDriver, "Driver", kLibrary);
    env_.driver_name = kDriver;
    std::memset(&settings_, 0, sizeof settings_);
  }
  std::string Value(const std::string& dsn, const char* key,
                    PlatDsnScope scope = PlatDsnScope::kUser) {
    std::string v;
    return PlatDsnGetValue(scope, dsn, key, &v) ? v : "<missing>";
  }
  void Install(const std::string& dsn, const std::vector<std::pair<const char*, std::string>>& keys,
               PlatDsnScope scope = PlatDsnScope::kUser) {
    for (const auto& [key, value] : keys) ASSERT_TRUE(PlatDsnSetValue(scope, dsn, key, value));
  }
  std::vector<std::string> Installed(PlatDsnScope scope = PlatDsnScope::kUser) {
    std::vector<std::string> names;
    PlatDsnList(scope, &names);
    return names;
  }
  bool FileDsnExists(const std::string& dsn) {
    return access((file_dsn_dir_ + "/" + dsn + " (not sharable).DSN").c_str(), F_OK) == 0;
  }
  // The four steps as the tools run them.
  int32_t RunAll(const ServerEntries& servers, RegistrationResult* result = nullptr) {
    int32_t rc = RegisterServerDataSources(env_, servers, settings_, result);
    if (rc == kCspDone) rc = UpdateDataSourceServers(env_, servers, settings_);
    if (rc == kCspDone) rc = SaveServerList(env_, servers);
    if (rc == kCspDone) rc = SaveLastUpdateTime(env_);
    return rc;
  }

  FakeLookups lookups_;
  ToolEnv env_;
  ServiceSettings settings_;
  std::string file_dsn_dir_;
};

TEST_F(RegistrationTest, TwoServersOfferingOneNameMakeOneDataSourceListingBoth) {
  ServerEntries servers = {
      Offering("10.0.0.5", 1583, NulSeparatedList({"Sales;Sales data", "Stock"})),
      Offering("10.0.0.6", 1600, NulSeparatedList({"Sales;Other words"}))};
  RegistrationResult result;
  ASSERT_EQ(RunAll(servers, &result), kCspDone);
  EXPECT_EQ(result.servers, 2u);
  EXPECT_EQ(result.data_sources, 2u);
  EXPECT_EQ(Value("Sales", "Driver"), kDriver);
  EXPECT_EQ(Value("Sales", "Description"), "Sales data");
  EXPECT_EQ(Value("Sales", "ServerDSN"), "Sales");
  EXPECT_EQ(Value("Sales", "ServerName"), "10.0.0.5.1583,10.0.0.6.1600");
  EXPECT_EQ(Value("Sales", "ArrayFetchOn"), "1");
  EXPECT_EQ(Value("Sales", "ArrayBufferSize"), "8");
  EXPECT_EQ(Value("Stock", "Description"), "");
  EXPECT_EQ(Value("Stock", "ServerName"), "10.0.0.5.1583");
  EXPECT_EQ(testing_registry::ReadFileText(file_dsn_dir_ + "/Sales (not sharable).DSN"),
            "[ODBC]\nDSN=Sales");
  EXPECT_EQ(Installed(PlatDsnScope::kSystem), std::vector<std::string>{});
}

TEST_F(RegistrationTest, ADataSourceOfThisHostGetsTheLocalSuffix) {
  const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
  ServerEntries servers = {Offering("10.0.0.7", 1583, NulSeparatedList({"Sales;here", thirty}))};
  ASSERT_EQ(RunAll(servers), kCspDone);
  EXPECT_EQ(Value("Sales_C32", "ServerDSN"), "Sales");
  EXPECT_EQ(Value(thirty.substr(0, 28) + "_C32", "ServerDSN"), thirty);
  EXPECT_EQ(Value("Sales", "ServerDSN"), "<missing>");
  EXPECT_TRUE(FileDsnExists("Sales_C32"));
}

TEST_F(RegistrationTest, UpdatingAnExistingDataSourceKeepsItsOtherKeys) {
  Install("Sales", {{"Driver", kLibrary},
                    {"ServerName", "10.0.0.9.1583,10.0.0.5.1500"},
                    {"ArrayFetchOn", "0"},
                    {"UID", "bob"}});
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({"Sales;Sales data"}))};
  ASSERT_EQ(RunAll(servers), kCspDone);
  EXPECT_EQ(Value("Sales", "Driver"), kLibrary);
  EXPECT_EQ(Value("Sales", "ArrayFetchOn"), "0");
  EXPECT_EQ(Value("Sales", "ArrayBufferSize"), "8");
  EXPECT_EQ(Value("Sales", "UID"), "bob");
  // The server that did not answer stays; the one that did has its new port.
  EXPECT_EQ(Value("Sales", "ServerName"), "10.0.0.9.1583,10.0.0.5.1583");
}

TEST_F(RegistrationTest, ADataSourceOfAnotherDriverIsNeverTouched) {
  Install("Sales", {{"Driver", "PostgreSQL"}, {"ServerName", "10.0.0.5.1583"}, {"UID", "bob"}});
  ServerEntries servers = {
      Offering("10.0.0.5", 1583, NulSeparatedList({"Sales;Sales data", "Stock"}))};
  RegistrationResult result;
  ASSERT_EQ(RunAll(servers, &result), kCspDone);
  EXPECT_EQ(result.data_sources, 1u);
  EXPECT_EQ(Value("Sales", "Driver"), "PostgreSQL");
  EXPECT_EQ(Value("Sales", "Description"), "<missing>");
  EXPECT_EQ(Value("Sales", "UID"), "bob");
  EXPECT_EQ(Value("Stock", "ServerDSN"), "Stock");
  EXPECT_FALSE(FileDsnExists("Sales"));
}

TEST_F(RegistrationTest, ServersThatAnsweredWithoutADataSourceLeaveIt) {
  Install("Gone", {{"Driver", kDriver}, {"ServerName", "10.0.0.5.1583"}});
  ASSERT_TRUE(WriteFileDsn("Gone"));
  Install("Mixed", {{"Driver", kDriver}, {"ServerName", "10.0.0.5.1583,10.0.0.8.1583"}});
  Install("Silent", {{"Driver", kDriver}, {"ServerName", "10.0.0.8.1583"}});
  Install("Unresolved", {{"Driver", kDriver}, {"ServerName", "dbhost.1583,10.0.0.5.1583"}});
  Install("Foreign", {{"Driver", "PostgreSQL"}, {"ServerName", "10.0.0.5.1583"}});
  Install("NoServer", {{"Driver", kDriver}, {"ServerName", ""}});
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({"Sales"}))};
  ASSERT_EQ(RunAll(servers), kCspDone);
  EXPECT_EQ(Value("Gone", "Driver"), "<missing>");
  EXPECT_FALSE(FileDsnExists("Gone"));
  EXPECT_EQ(Value("Mixed", "ServerName"), "10.0.0.8.1583");
  EXPECT_EQ(Value("Silent", "ServerName"), "10.0.0.8.1583");
  // A host that does not resolve now may well resolve later.
  EXPECT_EQ(Value("Unresolved", "ServerName"), "dbhost.1583");
  EXPECT_EQ(Value("Foreign", "ServerName"), "10.0.0.5.1583");
  EXPECT_EQ(Value("NoServer", "Driver"), kDriver);
  EXPECT_EQ(Value("Sales", "ServerName"), "10.0.0.5.1583");
}

TEST_F(RegistrationTest, AListThatMayHaveBeenCutWithdrawsNothing) {
  Install("d349", {{"Driver", kDriver}, {"ServerName", "10.0.0.5.1583"}, {"UID", "bob"}});
  ASSERT_TRUE(WriteFileDsn("d349"));
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({"d1", "d2"}))};
  servers[0].partial = true;
  RegistrationResult result;
  ASSERT_EQ(RunAll(servers, &result), kCspDone);
  EXPECT_EQ(result.data_sources, 2u);  // what it did offer is registered
  EXPECT_EQ(Value("d349", "ServerName"), "10.0.0.5.1583");
  EXPECT_EQ(Value("d349", "UID"), "bob");
  EXPECT_TRUE(FileDsnExists("d349"));
}

TEST_F(RegistrationTest, OnlyTheServerAtThatAddressAndPortJudgesADataSource) {
  // 10.0.0.5:1583 answers offering none of them; another server shares its
  // host on 1584 and was not asked.
  const struct {
    const char* server_name;
    const char* after;  // null: removed
  } cases[] = {
      {"10.0.0.5.1584", "10.0.0.5.1584"},
      {"10.0.0.5:1584", "10.0.0.5.1584"},
      {"10.0.0.5.1583", nullptr},
      {"10.0.0.5:1583", nullptr},
      {"10.0.0.5:1583,10.0.0.5.1584", "10.0.0.5.1584"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    Install("Dsn" + std::to_string(i), {{"Driver", kDriver}, {"ServerName", cases[i].server_name}});
  }
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({"Sales"}))};
  ASSERT_EQ(RunAll(servers), kCspDone);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].server_name);
    const std::string dsn = "Dsn" + std::to_string(i);
    EXPECT_EQ(Value(dsn, "ServerName"), cases[i].after ? cases[i].after : "<missing>");
  }
}

TEST_F(RegistrationTest, NamesThatCannotBeDataSourcesAreSkipped) {
  const std::string long_name(36, 'n');
  // 10.0.0.7 is this host: its names get the local suffix, "..." too.
  const std::string trace = testing_registry::UseSandbox().odbc_sys_dir + "/csp.log";
  std::filesystem::remove(trace);
  ProfileWriteString(kDrivers, kDriver, "CSPTrace", "1");
  ProfileWriteString(kDrivers, kDriver, "TraceOutput", trace.c_str());
  // File DSNs go three folders down, so that "../../../" stays in the sandbox.
  const std::string deep = file_dsn_dir_ + "/a/b/c";
  std::filesystem::create_directories(deep);
  ProfileWriteString(kMachineOdbcIni, "ODBC File DSN", "DefaultDSNDir", deep.c_str());
  const struct {
    const char* address;
    std::vector<std::string> installed;
  } servers_at[] = {
      {"10.0.0.5", {"Good"}},
      // The suffix makes the long name short enough and ends the blank.
      {"10.0.0.7", {long_name.substr(0, 28) + "_C32", "Good_C32", "trailing _C32"}},
  };
  for (const auto& [address, installed] : servers_at) {
    SCOPED_TRACE(address);
    ServerEntries servers = {
        Offering(address, 1583,
                 NulSeparatedList({"bad[name];x", ";no name", long_name + ";too long",
                                   "Good;line\r\nDriver=/evil.so", "trailing ;x", "../../../evil;x",
                                   "sub/dir", ".", "..", "/abs"}))};
    RegistrationResult result;
    ASSERT_EQ(RunAll(servers, &result), kCspDone);
    EXPECT_EQ(Installed(), installed);
    EXPECT_EQ(result.data_sources, installed.size());
    const std::string good = installed.size() == 1 ? "Good" : "Good_C32";
    EXPECT_EQ(Value(good, "Description"), "line  Driver=/evil.so");
    EXPECT_EQ(Value(good, "Driver"), kDriver);
    for (const std::string& name : installed) PlatDsnRemove(PlatDsnScope::kUser, name);
  }
  ProfileWriteString(kDrivers, kDriver, "CSPTrace", nullptr);
  ProfileWriteString(kDrivers, kDriver, "TraceOutput", nullptr);
  ProfileWriteString(kMachineOdbcIni, "ODBC File DSN", "DefaultDSNDir", nullptr);
  // Only the good names have File DSNs, in the folder itself.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(file_dsn_dir_)) {
    if (entry.is_regular_file())
      files.push_back(entry.path().lexically_relative(file_dsn_dir_).string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{
                       "a/b/c/Good (not sharable).DSN", "a/b/c/Good_C32 (not sharable).DSN",
                       "a/b/c/" + long_name.substr(0, 28) + "_C32 (not sharable).DSN",
                       "a/b/c/trailing _C32 (not sharable).DSN"}));
  std::string log = testing_registry::ReadFileText(trace);
  for (const char* line : {"CSP: Skipping data source ../../../evil: its name is a path.",
                           "CSP: Skipping data source ../../../evil_C32: its name is a path.",
                           "CSP: Skipping data source sub/dir: its name is a path.",
                           "CSP: Skipping data source ..: its name is a path."}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }
}

TEST_F(RegistrationTest, RemovingADataSourceNamedLikeAPathDeletesNoFileByThatPath) {
  // Left by an earlier registration, or written by hand.
  const std::string outside = file_dsn_dir_ + "/../escape (not sharable).DSN";
  { std::ofstream(outside) << "[ODBC]"; }
  Install("../escape", {{"Driver", kDriver}, {"ServerName", "10.0.0.5.1583"}});
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({"Sales"}))};
  ASSERT_EQ(RunAll(servers), kCspDone);
  EXPECT_EQ(Value("../escape", "Driver"), "<missing>");
  EXPECT_TRUE(std::filesystem::exists(outside));
  std::filesystem::remove(outside);
}

TEST_F(RegistrationTest, SystemDataSourcesGoToTheSystemFileNamingTheLibrary) {
  settings_.system_dsn = 1;
  Install("Old", {{"Driver", kDriver}, {"ServerName", "10.0.0.5.1583"}}, PlatDsnScope::kSystem);
  Install("Sales", {{"Driver", "PostgreSQL"}});  // a user data source is no concern here
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({"Sales;Sales data"}))};
  ASSERT_EQ(RunAll(servers), kCspDone);
  EXPECT_EQ(Installed(PlatDsnScope::kSystem), std::vector<std::string>{"Sales"});
  EXPECT_EQ(Value("Sales", "Driver", PlatDsnScope::kSystem), kLibrary);
  EXPECT_EQ(Value("Sales", "ServerName", PlatDsnScope::kSystem), "10.0.0.5.1583");
  EXPECT_EQ(Value("Sales", "Driver"), "PostgreSQL");
}

TEST_F(RegistrationTest, TheServerListAndTheTimeOfTheUpdateAreSaved) {
  lookups_.names[Ipv4("10.0.0.5")] = "db5";
  ServerEntries servers = {Offering("10.0.0.5", 1583, NulSeparatedList({})),
                           Offering("10.0.0.6", 1600, NulSeparatedList({}))};
  time_t before = time(nullptr);
  ASSERT_EQ(RunAll(servers), kCspDone);
  ServiceSettings read;
  ReadServiceSettings(env_, &read);
  EXPECT_STREQ(read.server_list, "db5:1583;10.0.0.6:1600");
  EXPECT_GE(static_cast<time_t>(read.last_update_ts), before);
  EXPECT_LE(static_cast<time_t>(read.last_update_ts), time(nullptr));
}

TEST(ServerNameValueTest, ItemsReadAndWrittenBack) {
  FakeLookups r;
  r.hosts["dbhost"] = {Ipv4("10.0.0.4")};
  r.services["sqlsrv"] = 1600;
  struct Case {
    const char* text;
    const char* formatted;
  } cases[] = {
      {"10.0.0.5.1583", "10.0.0.5.1583"},
      {"dbhost.sqlsrv", "10.0.0.4.1600"},
      {"dbhost.1583, 10.0.0.5.1583", "10.0.0.4.1583,10.0.0.5.1583"},
      // The driver's other form, host:port.
      {"10.0.0.5:1583,dbhost:sqlsrv", "10.0.0.5.1583,10.0.0.4.1600"},
      {"10.0.0.5:", ""},
      {"10.0.0.5.,noport,10.0.0.6.0,10.0.0.6.99999,10.0.0.6.nosuch,10.0.0.7.1", "10.0.0.7.1"},
      {"gone.example.1583", "gone.example.1583"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatServerNameValue(ParseServerNameValue(c.text)), c.formatted);
  }
}

TEST(ServerNameValueTest, LongListsDropWholeItems) {
  FakeLookups r;
  ServerEntries servers;
  DsnServers dsn_servers;
  for (int i = 0; i < 60; ++i) {
    std::string address = "10.0.1." + std::to_string(100 + i);
    ServerEntry e;
    e.address = Ipv4(address.c_str());
    e.port = htons(1583);
    servers.push_back(e);
    DsnServer s;
    s.resolved = true;
    s.address = e.address;
    s.port = e.port;
    dsn_servers.push_back(s);
  }
  for (const std::string& text :
       {FormatServerNameValue(dsn_servers), FormatServerListValue(servers)}) {
    EXPECT_LE(text.size(), kServerTextMax);
    EXPECT_GT(text.size(), kServerTextMax - 20);
    EXPECT_EQ(text.substr(text.size() - 4), "1583");  // the last item is whole
  }
}

}  // namespace

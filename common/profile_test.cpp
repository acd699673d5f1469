#include "common/profile.h"

#include <gtest/gtest.h>
#include <odbcinst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "testing/child_process.h"
#include "testing/registry_sandbox.h"

namespace {

using testing_registry::ReadFileText;
using testing_registry::UseSandbox;

constexpr char kClient[] = "HKEY_CURRENT_USER\\Software\\Velto\\Client";
constexpr char kUserOdbc[] = "HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI";
constexpr char kSystemOdbc[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI";
constexpr char kDrivers[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI";

struct Read {
  uint32_t result;
  std::string text;
};

Read ReadValue(const char* path, const char* section, const char* key, uint32_t size = 256,
               const char* default_value = "<default>") {
  char buffer[512];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t result = ProfileReadString(path, section, key, default_value, buffer, size);
  return Read{result, std::string(buffer, strnlen(buffer, size))};
}

// The installer's value as another program sees it: a fresh process.
std::string InstallerValueElsewhere(const char* section, const char* key, const char* file) {
  std::string out;
  int rc = testing_child::Run(
      {testing_child::BesideTest("profile_test_helper"), "odbc-get", section, key, file}, &out);
  EXPECT_EQ(rc, 0);
  return out;
}

class ProfileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseSandbox(); }
  static std::string OwnStore(const char* file) {
    return ReadFileText(UseSandbox().registry_dir + "/" + file);
  }
};

TEST_F(ProfileTest, EverySpellingOfAPathReachesTheSameKey) {
  ASSERT_EQ(ProfileWriteString(kClient, "6.1", "ServerList", "alpha:1583;beta:1583"), 1);
  const char* paths[] = {
      "HKEY_CURRENT_USER\\Software\\Velto\\Client",
      "hkey_current_user\\SOFTWARE\\velto\\CLIENT",
      "\\\\HKEY_CURRENT_USER\\Software\\Velto\\Client",
      "Software\\Velto\\Client",  // no root named: the current user's
      "HKEY_CURRENT_USER\\\\Software\\Velto\\Client\\",
  };
  for (const char* path : paths) {
    SCOPED_TRACE(path);
    Read read = ReadValue(path, "6.1", "SERVERLIST");
    EXPECT_EQ(read.result, sizeof "alpha:1583;beta:1583");
    EXPECT_EQ(read.text, "alpha:1583;beta:1583");
  }
}

TEST_F(ProfileTest, FailedReadsGiveTheDefault) {
  ASSERT_EQ(ProfileWriteString(kClient, "6.1", "LastUpdateTS", "1700000000"), 1);
  struct Case {
    const char* path;
    const char* section;
    const char* key;
    uint32_t size;
    Read expected;
  } cases[] = {
      {kClient, "6.1", "LastUpdateTS", 11, {11, "1700000000"}},  // just fits
      {kClient, "6.1", "LastUpdateTS", 10, {0, "<default>"}},    // one byte short
      {kClient, "6.1", "Missing", 64, {0, "<default>"}},
      {kClient, "9.9", "LastUpdateTS", 64, {0, "<default>"}},
      {"HKEY_CURRENT_USER\\Software\\Nowhere", "6.1", "LastUpdateTS", 64, {0, "<default>"}},
      {"HKEY_LOCAL_MACHINE\\Software\\Velto\\Client", "6.1", "LastUpdateTS", 64, {0, "<default>"}},
      {kClient, "6.1", "LastUpdateTS", 5, {0, "<def"}},  // the default is cut and terminated
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.section + " " + c.key + " " +
                 std::to_string(c.size));
    Read read = ReadValue(c.path, c.section, c.key, c.size);
    EXPECT_EQ(read.result, c.expected.result);
    EXPECT_EQ(read.text, c.expected.text);
  }
}

TEST_F(ProfileTest, PathsWithoutAKeyLeaveTheBufferAlone) {
  std::string too_long = std::string(kClient) + "\\" + std::string(2048, 'x');
  const char* paths[] = {nullptr, "", "\\\\\\", too_long.c_str()};
  for (const char* path : paths) {
    char buffer[8] = "#######";
    EXPECT_EQ(ProfileReadString(path, "6.1", "Key", "default", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "#######");
    EXPECT_EQ(ProfileWriteString(path, "6.1", "Key", "v"), 0);
  }
}

TEST_F(ProfileTest, ValuesComeBackAsWritten) {
  const char* values[] = {" 8080", "a=b;c", "", "x ; not a comment", "trailing  ", "[x]"};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    ASSERT_EQ(ProfileWriteString(kClient, "Values", "V", value), 1);
    Read read = ReadValue(kClient, "Values", "V");
    EXPECT_EQ(read.result, std::strlen(value) + 1);
    EXPECT_EQ(read.text, value);
  }
}

TEST_F(ProfileTest, WhatTheStoreCannotHoldIsRefused) {
  struct Case {
    const char* key;
    const char* value;
  } cases[] = {{"Multi", "line\nbreak"}, {"Cr", "a\rb"}, {"a=b", "v"}, {"[odd", "v"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(ProfileWriteString(kClient, "Refused", c.key, c.value), 0);
    EXPECT_EQ(ReadValue(kClient, "Refused", c.key).result, 0u);
  }
  EXPECT_EQ(ProfileWriteString(kClient, nullptr, "K", "v"), 0);
  EXPECT_EQ(ProfileWriteString(kClient, "", "K", "v"), 0);
}

TEST_F(ProfileTest, NamesKeepTheirFirstSpelling) {
  const char path[] = "\\HKEY_CURRENT_USER\\SOFTWARE\\VelSpelling";
  ASSERT_EQ(ProfileWriteString(path, "Client\\6.1\\Firewall Tunneling", "ProxyPort", "443"), 1);
  ASSERT_EQ(ProfileWriteString("hkey_current_user\\software\\velspelling",
                               "CLIENT\\6.1\\firewall tunneling", "PROXYPORT", "8080"),
            1);
  EXPECT_EQ(ReadValue(path, "Client\\6.1\\Firewall Tunneling", "ProxyPort").text, "8080");
  std::string file = OwnStore("current_user.conf");
  // "Software" itself may have been spelled already by another key.
  EXPECT_NE(file.find("\\VelSpelling\\Client\\6.1\\Firewall Tunneling]\nProxyPort=8080\n"),
            std::string::npos)
      << file;
  EXPECT_EQ(file.find("PROXYPORT"), std::string::npos) << file;
}

TEST_F(ProfileTest, NullKeyListsTheValueNames) {
  for (const char* key : {"Alpha", "Beta", "Gamma"}) {
    ASSERT_EQ(ProfileWriteString(kClient, "Listed", key, "1"), 1);
  }
  Read read = ReadValue(kClient, "Listed", nullptr, 32);
  EXPECT_EQ(read.result, 17u);
  char buffer[32];
  ProfileReadString(kClient, "Listed", nullptr, "", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, 18), std::string("Alpha\0Beta\0Gamma\0\0", 18));
  // A section without values lists nothing: the default stands.
  EXPECT_EQ(ReadValue(kClient, "NoSuchSection", nullptr).text, "<default>");
}

TEST_F(ProfileTest, DeletingValuesAndSections) {
  const char path[] = "HKEY_CURRENT_USER\\Software\\Velto";
  ASSERT_EQ(ProfileWriteString(path, "Tree", "Top", "1"), 1);
  ASSERT_EQ(ProfileWriteString(path, "Tree\\6.1", "Mid", "2"), 1);
  ASSERT_EQ(ProfileWriteString(path, "Tree\\6.1\\Deep", "Low", "3"), 1);
  ASSERT_EQ(ProfileWriteString(path, "Kept", "Other", "4"), 1);

  EXPECT_EQ(ProfileWriteString(path, "Tree\\6.1", "Mid", nullptr), 1);
  EXPECT_EQ(ReadValue(path, "Tree\\6.1", "Mid").result, 0u);
  EXPECT_EQ(ReadValue(path, "Tree\\6.1\\Deep", "Low").text, "3");

  EXPECT_EQ(ProfileWriteString(path, "tree", nullptr, nullptr), 1);
  EXPECT_EQ(ReadValue(path, "Tree", "Top").result, 0u);
  EXPECT_EQ(ReadValue(path, "Tree\\6.1\\Deep", "Low").result, 0u);
  EXPECT_EQ(ReadValue(path, "Kept", "Other").text, "4");

  // What is not there is deleted already.
  EXPECT_EQ(ProfileWriteString(path, "Tree", nullptr, nullptr), 1);
  EXPECT_EQ(ProfileWriteString(path, "Kept", "Never", nullptr), 1);
  EXPECT_EQ(ProfileWriteString("HKEY_CURRENT_USER\\Nowhere", "Kept", "Never", nullptr), 1);
}

TEST_F(ProfileTest, CurrentConfigIsWrittenBelowTheCurrentUser) {
  ASSERT_EQ(ProfileWriteString("HKEY_CURRENT_CONFIG\\Software\\Velto", "S", "K", "v"), 1);
  EXPECT_EQ(ReadValue("HKEY_CURRENT_USER\\HKEY_CURRENT_CONFIG\\Software\\Velto", "S", "K").text,
            "v");
  EXPECT_EQ(ReadValue("HKEY_CURRENT_CONFIG\\Software\\Velto", "S", "K").result, 0u);
}

TEST_F(ProfileTest, EachRootHasItsOwnKeys) {
  ASSERT_EQ(ProfileWriteString("HKEY_LOCAL_MACHINE\\Software\\Velto", "Roots", "Where", "m"), 1);
  ASSERT_EQ(ProfileWriteString("HKEY_USERS\\Software\\Velto", "Roots", "Where", "u"), 1);
  ASSERT_EQ(ProfileWriteString("HKEY_CLASSES_ROOT\\Software\\Velto", "Roots", "Where", "c"), 1);
  EXPECT_EQ(ReadValue("HKEY_LOCAL_MACHINE\\Software\\Velto", "Roots", "Where").text, "m");
  EXPECT_EQ(ReadValue("HKEY_USERS\\Software\\Velto", "Roots", "Where").text, "u");
  EXPECT_EQ(ReadValue("HKEY_CLASSES_ROOT\\Software\\Velto", "Roots", "Where").text, "c");
  EXPECT_EQ(ReadValue("HKEY_CURRENT_USER\\Software\\Velto", "Roots", "Where").result, 0u);
}

// Points the store somewhere else for one test.
class StoreElsewhere {
 public:
  explicit StoreElsewhere(const std::string& dir) { setenv("VELTO_REGISTRY", dir.c_str(), 1); }
  ~StoreElsewhere() { setenv("VELTO_REGISTRY", UseSandbox().registry_dir.c_str(), 1); }
};

TEST_F(ProfileTest, AWriteThatCannotBeStoredFails) {
  std::string blocker = UseSandbox().root + "/not-a-directory";
  std::ofstream(blocker) << "x";
  StoreElsewhere store(blocker + "/registry");
  EXPECT_EQ(ProfileWriteString(kClient, "6.1", "K", "v"), 0);
  EXPECT_EQ(ReadValue(kClient, "6.1", "K").result, 0u);
}

TEST_F(ProfileTest, AWriteWithoutRightsFails) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write anywhere";
  std::string locked = UseSandbox().root + "/locked";
  ASSERT_EQ(mkdir(locked.c_str(), 0500), 0);
  StoreElsewhere store(locked);
  EXPECT_EQ(ProfileWriteString("HKEY_LOCAL_MACHINE\\Software\\Velto", "S", "K", "v"), 0);
}

TEST_F(ProfileTest, TwoProcessesWritingOneFileBothSurvive) {
  constexpr int kEach = 40;
  const std::string helper = testing_child::BesideTest("profile_test_helper");
  int out_a, out_b;
  int a = testing_child::Start(
      {helper, "profile-set-many", kClient, "Shared", "a", std::to_string(kEach)}, &out_a);
  int b = testing_child::Start(
      {helper, "profile-set-many", kClient, "Shared", "b", std::to_string(kEach)}, &out_b);
  ASSERT_EQ(testing_child::Finish(a, out_a, nullptr), 0);
  ASSERT_EQ(testing_child::Finish(b, out_b, nullptr), 0);
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < kEach; ++i) {
      std::string key = prefix + std::to_string(i);
      EXPECT_EQ(ReadValue(kClient, "Shared", key.c_str()).text, std::to_string(i)) << key;
    }
  }
}

// --- the installer's data sources ------------------------------------------

TEST_F(ProfileTest, UserDataSourceIsSharedWithTheInstaller) {
  ASSERT_EQ(ProfileWriteString(kUserOdbc, "VelDsnOne", "ServerName", "10.0.0.1.1583"), 1);
  char buffer[64];
  SQLGetPrivateProfileString("veldsnone", "SERVERNAME", "", buffer, sizeof buffer, "ODBC.INI");
  EXPECT_STREQ(buffer, "10.0.0.1.1583");
  EXPECT_EQ(InstallerValueElsewhere("VelDsnOne", "ServerName", "ODBC.INI"), "10.0.0.1.1583");
  EXPECT_NE(ReadFileText(UseSandbox().odbc_user_ini).find("[VelDsnOne]"), std::string::npos);

  // The other way: written by another program through the installer.
  ASSERT_EQ(testing_child::Run({testing_child::BesideTest("profile_test_helper"), "odbc-set",
                                "VelDsnTwo", "ServerDSN", "Remote", "ODBC.INI"},
                               nullptr),
            0);
  Read read = ReadValue("HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini", "veldsntwo", "SERVERDSN");
  EXPECT_EQ(read.result, sizeof "Remote");
  EXPECT_EQ(read.text, "Remote");
  // An empty value is a value, not a missing one.
  ASSERT_EQ(ProfileWriteString(kUserOdbc, "VelDsnOne", "Description", ""), 1);
  EXPECT_EQ(ReadValue(kUserOdbc, "VelDsnOne", "Description").result, 1u);
}

TEST_F(ProfileTest, MachineKeysAreTheSystemFiles) {
  UWORD mode_before = 99;
  ASSERT_TRUE(SQLGetConfigMode(&mode_before));
  ASSERT_EQ(ProfileWriteString(kSystemOdbc, "ODBC Data Sources", "VelSys", "VeltoClient-Debug"), 1);
  ASSERT_EQ(ProfileWriteString(kSystemOdbc, "VelSys", "ServerDSN", "Remote"), 1);
  ASSERT_EQ(ProfileWriteString(kDrivers, "VeltoClient-Debug", "SvcPort", "1599"), 1);
  UWORD mode_after = 99;
  ASSERT_TRUE(SQLGetConfigMode(&mode_after));
  EXPECT_EQ(mode_after, mode_before);

  const auto& sandbox = UseSandbox();
  EXPECT_NE(ReadFileText(sandbox.odbc_sys_dir + "/odbc.ini").find("[VelSys]"), std::string::npos);
  EXPECT_EQ(ReadFileText(sandbox.odbc_user_ini).find("VelSys"), std::string::npos);
  EXPECT_NE(ReadFileText(sandbox.odbc_sys_dir + "/odbcinst.ini").find("SvcPort"),
            std::string::npos);

  EXPECT_EQ(ReadValue(kSystemOdbc, "velsys", "serverdsn").text, "Remote");
  EXPECT_EQ(
      ReadValue("HKEY_LOCAL_MACHINE\\software\\odbc\\odbc.ini", "ODBC Data Sources", nullptr).text,
      "VelSys");
  EXPECT_EQ(ReadValue(kDrivers, "VeltoClient-Debug", "SvcPort").text, "1599");
  EXPECT_EQ(InstallerValueElsewhere("VeltoClient-Debug", "SvcPort", "ODBCINST.INI"), "1599");
}

TEST_F(ProfileTest, InstallerFilesRefuseWhatTheyCannotHold) {
  const std::string& user_ini = UseSandbox().odbc_user_ini;
  ASSERT_EQ(ProfileWriteString(kUserOdbc, "VelLimits", "Driver", "velclt32.so"), 1);
  std::string before = ReadFileText(user_ini);
  std::string long_value(1200, 'v');
  struct Case {
    const char* key;
    const char* value;
  } cases[] = {
      {"Long", long_value.c_str()},
      {"Break", "a\nb"},
      {"a=b", "v"},
      {"#Hidden", "v"},
      {" Padded", "v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(ProfileWriteString(kUserOdbc, "VelLimits", c.key, c.value), 0);
  }
  EXPECT_EQ(ReadFileText(user_ini), before);
  // Below a data source's section there are no keys.
  EXPECT_EQ(ProfileWriteString(kUserOdbc, "VelLimits\\Deeper", "K", "v"), 0);
  EXPECT_EQ(
      ProfileWriteString("HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI\\VelLimits", "Sub", "K", "v"),
      0);
}

TEST_F(ProfileTest, DataSourceSectionsListAndDelete) {
  ASSERT_EQ(ProfileWriteString(kUserOdbc, "VelGone", "Driver", "velclt32.so"), 1);
  ASSERT_EQ(ProfileWriteString(kUserOdbc, "VelGone", "ServerDSN", "Remote"), 1);
  char buffer[64];
  ASSERT_EQ(ProfileReadString(kUserOdbc, "VelGone", nullptr, "", buffer, sizeof buffer), 17u);
  EXPECT_EQ(std::string(buffer, 18), std::string("Driver\0ServerDSN\0\0", 18));

  EXPECT_EQ(ProfileWriteString(kUserOdbc, "VelGone", "ServerDSN", nullptr), 1);
  EXPECT_EQ(ReadValue(kUserOdbc, "VelGone", "ServerDSN").result, 0u);
  EXPECT_EQ(ProfileWriteString(kUserOdbc, "velgone", nullptr, nullptr), 1);
  EXPECT_EQ(ReadValue(kUserOdbc, "VelGone", "Driver").result, 0u);
  EXPECT_EQ(ReadFileText(UseSandbox().odbc_user_ini).find("VelGone"), std::string::npos);
}

}  // namespace

// ConfigDSN as the installer calls it: SQLConfigDataSource loads the built
// library from the driver's Setup= line, over private ini files that the
// tests then read back as text.
#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testing/installer_test_support.h"
#include "testing/registry_sandbox.h"

namespace {

using namespace setup_testing;
using testing_registry::ReadFileText;
using testing_registry::UseSandbox;

// Message 20001 about the name.
std::string BadName(const std::string& name) {
  return "'" + name +
         "'\n cannot be used as a data source name. Make sure that it \ncontains at least one "
         "non-blank character, and that it doesn't contain any of\nthe following characters: [ ] "
         "{ } ( ) ? * = ! @ , ";
}

const std::string kBadList =
    "Verify that the Secondary Server Addresses and Ports are in the correct format.";

struct Refusal {
  const char* what;
  WORD request;
  std::string attributes;
  DWORD code;
  std::string text;
};

class ConfigDsnTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseInstallerSandbox(VEL_SETUP_PATH); }

  static bool Config(WORD request, const std::string& attributes, HWND window = nullptr) {
    return SQLConfigDataSource(window, request, kDriver, attributes.c_str()) != 0;
  }

  // Each call fails with its installer error, and the user's odbc.ini
  // stays as it was.
  static void ExpectRefused(const std::vector<Refusal>& refusals) {
    const std::string user_before = ReadFileText(UseSandbox().odbc_user_ini);
    for (const Refusal& r : refusals) {
      EXPECT_FALSE(Config(r.request, r.attributes)) << r.what;
      InstallerError error = LastError();
      EXPECT_EQ(error.code, r.code) << r.what;
      EXPECT_EQ(error.text, r.text) << r.what;
    }
    EXPECT_EQ(ReadFileText(UseSandbox().odbc_user_ini), user_before);
  }
};

TEST_F(ConfigDsnTest, AddWritesTheNamedKeysAndTheFileDsn) {
  ASSERT_TRUE(Config(ODBC_ADD_DSN,
                     Attributes({"DSN=Sales", "Description=Sales data",
                                 "ServerName=127.0.0.1.1583,10.0.0.9.1583", "ServerDSN=sales"})));
  Section expected = {{"Driver", kDriver},
                      {"Description", "Sales data"},
                      {"ServerName", "127.0.0.1.1583,10.0.0.9.1583"},
                      {"ServerDSN", "sales"}};
  EXPECT_EQ(UserIni()["Sales"], expected);
  EXPECT_EQ(SystemIni().count("Sales"), 0u);
  EXPECT_EQ(FileDsn("Sales"), "[ODBC]\nDSN=Sales");
}

TEST_F(ConfigDsnTest, ConfigureUpdatesInPlaceKeepingOtherKeys) {
  MakeUserDsn("Kept", kDriver,
              {{"ArrayFetchOn", "0"}, {"ServerName", "127.0.0.1.1583"}, {"Extra", "mine"}});
  ASSERT_TRUE(Config(ODBC_CONFIG_DSN, Attributes({"DSN=Kept", "Description=now described"})));
  Section expected = {{"Driver", kDriver},
                      {"ArrayFetchOn", "0"},
                      {"ServerName", "127.0.0.1.1583"},
                      {"Extra", "mine"},
                      {"Description", "now described"}};
  EXPECT_EQ(UserIni()["Kept"], expected);
}

TEST_F(ConfigDsnTest, ADataSourceNamingTheDriverLibraryIsThisDrivers) {
  MakeUserDsn("ByPath", kLibrary, {{"UID", "scott"}});
  ASSERT_TRUE(Config(ODBC_ADD_DSN, Attributes({"DSN=ByPath", "ServerDSN=other"})));
  Section expected = {{"Driver", kLibrary}, {"UID", "scott"}, {"ServerDSN", "other"}};
  EXPECT_EQ(UserIni()["ByPath"], expected);
}

TEST_F(ConfigDsnTest, AnotherDriversDataSourceIsNeitherChangedNorRemoved) {
  MakeUserDsn("Theirs", "SQLite3", {{"Database", "/tmp/x.db"}});
  const Section before = UserIni()["Theirs"];
  for (WORD request : {ODBC_ADD_DSN, ODBC_CONFIG_DSN, ODBC_REMOVE_DSN}) {
    EXPECT_FALSE(Config(request, Attributes({"DSN=Theirs", "ServerDSN=x"}))) << request;
    InstallerError error = LastError();
    EXPECT_EQ(error.text, "'Theirs' is a data source of another driver; it was not changed.");
    EXPECT_EQ(error.code, static_cast<DWORD>(ODBC_ERROR_REQUEST_FAILED));
  }
  EXPECT_EQ(UserIni()["Theirs"], before);
  EXPECT_EQ(FileDsn("Theirs"), "");
}

TEST_F(ConfigDsnTest, RemoveTakesTheSectionAway) {
  ASSERT_TRUE(Config(ODBC_ADD_DSN, Attributes({"DSN=Gone", "ServerDSN=x"})));
  ASSERT_EQ(UserIni().count("Gone"), 1u);
  ASSERT_TRUE(Config(ODBC_REMOVE_DSN, Attributes({"DSN=Gone"})));
  EXPECT_EQ(UserIni().count("Gone"), 0u);
}

TEST_F(ConfigDsnTest, SystemRequestsWriteTheSystemFile) {
  ASSERT_TRUE(Config(ODBC_ADD_SYS_DSN, Attributes({"DSN=Shared", "ServerDSN=x"})));
  EXPECT_EQ(SystemIni()["Shared"]["ServerDSN"], "x");
  EXPECT_EQ(UserIni().count("Shared"), 0u);
  ASSERT_TRUE(Config(ODBC_CONFIG_SYS_DSN, Attributes({"DSN=Shared", "UID=u"})));
  Section expected = {{"Driver", kDriver}, {"ServerDSN", "x"}, {"UID", "u"}};
  EXPECT_EQ(SystemIni()["Shared"], expected);
  ASSERT_TRUE(Config(ODBC_REMOVE_SYS_DSN, Attributes({"DSN=Shared"})));
  EXPECT_EQ(SystemIni().count("Shared"), 0u);
}

TEST_F(ConfigDsnTest, ValuesAreCheckedCutAndDefaulted) {
  const std::string description(600, 'd');
  ASSERT_TRUE(Config(
      ODBC_ADD_DSN, Attributes({"DSN=Values", "Description=" + description, "ArrayFetchOn=7",
                                "ArrayBufferSize=128", " servername =127.0.0.1.1,127.0.0.1.2",
                                "ServerNameX=ignored", "DS=ignored", "server name = x", "UID=first",
                                "uid=second"})));
  Section expected = {
      {"Driver", kDriver},       {"Description", description.substr(0, 513)}, {"ArrayFetchOn", "1"},
      {"ArrayBufferSize", "12"}, {"ServerName", "127.0.0.1.1,127.0.0.1.2"},   {"UID", "second"}};
  EXPECT_EQ(UserIni()["Values"], expected);

  ASSERT_TRUE(Config(ODBC_CONFIG_DSN, Attributes({"DSN=Values", "ArrayBufferSize=0"})));
  EXPECT_EQ(UserIni()["Values"]["ArrayBufferSize"], "8");
  ASSERT_TRUE(Config(ODBC_CONFIG_DSN, Attributes({"DSN=Values", "ArrayBufferSize=064"})));
  // Cut to two characters, "06" is in range and stays as it is.
  EXPECT_EQ(UserIni()["Values"]["ArrayBufferSize"], "06");
}

TEST_F(ConfigDsnTest, RefusedCallsWriteNothingAndSayWhy) {
  const std::string syntax = "Syntax error in attribute string.";
  MakeUserDsn("Spaced", kDriver, {{"ServerDSN", "kept"}, {"UID", "bob"}});
  ExpectRefused({
      {"no equals sign", ODBC_ADD_DSN, Attributes({"DSN=Refused", "ServerDSN"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, syntax},
      {"empty key", ODBC_ADD_DSN, Attributes({"DSN=Refused", " =x"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, syntax},
      {"line break in a value", ODBC_ADD_DSN,
       Attributes({"DSN=Refused", "Description=a\nDriver=/tmp/evil.so"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, syntax},
      {"no name", ODBC_ADD_DSN, Attributes({"ServerDSN=x"}), ODBC_ERROR_INVALID_DSN, BadName("")},
      {"blank name", ODBC_ADD_DSN, Attributes({"DSN=   ", "ServerDSN=x"}), ODBC_ERROR_INVALID_DSN,
       BadName("   ")},
      {"invalid name", ODBC_ADD_DSN, Attributes({"DSN=Re[fused]"}), ODBC_ERROR_INVALID_DSN,
       BadName("Re[fused]")},
      {"blank server name", ODBC_ADD_DSN, Attributes({"DSN=Refused", "ServerDSN= "}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, BadName(" ")},
      {"server list without port", ODBC_ADD_DSN, Attributes({"DSN=Refused", "ServerName=hostA"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, kBadList},
      {"port past 32 bits", ODBC_ADD_DSN,
       Attributes({"DSN=Refused", "ServerName=127.0.0.1.4294967297"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, kBadList},
      {"blank name removed", ODBC_REMOVE_DSN, Attributes({"DSN= "}), ODBC_ERROR_INVALID_DSN,
       BadName(" ")},
      // The installer trims section names: such a name would write one
      // section and read another.
      {"blanks around the name", ODBC_ADD_DSN, Attributes({"DSN= Spaced ", "ServerDSN=x"}),
       ODBC_ERROR_INVALID_DSN, BadName(" Spaced ")},
      {"tab after the name", ODBC_CONFIG_DSN, Attributes({"DSN=Spaced\t", "ServerDSN=x"}),
       ODBC_ERROR_INVALID_DSN, BadName("Spaced\t")},
      {"blank before the name removed", ODBC_REMOVE_DSN, Attributes({"DSN= Spaced"}),
       ODBC_ERROR_INVALID_DSN, BadName(" Spaced")},
      {"blank after the server name", ODBC_ADD_DSN, Attributes({"DSN=Refused", "ServerDSN=x "}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, BadName("x ")},
      {"junk after the port", ODBC_ADD_DSN, Attributes({"DSN=Refused", "ServerName=hostA. 1583 x"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, kBadList},
      {"host:port with junk", ODBC_ADD_DSN,
       Attributes({"DSN=Refused", "ServerName=127.0.0.1:1583,hostA:1583 x"}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, kBadList},
      {"unknown request", ODBC_REMOVE_DEFAULT_DSN, Attributes({"DSN=Refused"}),
       ODBC_ERROR_INVALID_REQUEST_TYPE,
       "Request 7 is unknown: a data source can only be added, configured or removed (requests 1 "
       "to 3 for user data sources, 4 to 6 for system ones)."},
  });
  EXPECT_EQ(FileDsn("Refused"), "");
}

TEST_F(ConfigDsnTest, NamesTooLongForTheirFieldsAreRefusedNotCut) {
  const std::string name = "Name_of_thirty-two_characters_32";
  ASSERT_EQ(name.size(), 32u);
  const std::string longer = name + "_Other";
  // Cut at 256 characters, the list would end in a whole but wrong entry:
  // host 10.0.0, port 18.
  std::string servers = "h.1583,";
  for (int i = 0; i < 16; ++i) servers += "127.0.0.1.1583,";
  servers += "10.0.0.18.1583";
  ASSERT_EQ(servers.substr(0, 256).substr(247), "10.0.0.18");
  MakeUserDsn(name.c_str(), kDriver, {{"ServerDSN", "kept"}, {"UID", "bob"}});
  ExpectRefused({
      {"add a longer name", ODBC_ADD_DSN, Attributes({"DSN=" + longer, "ServerDSN=x"}),
       ODBC_ERROR_INVALID_DSN, BadName(longer)},
      {"configure a longer name", ODBC_CONFIG_DSN, Attributes({"DSN=" + longer, "UID=eve"}),
       ODBC_ERROR_INVALID_DSN, BadName(longer)},
      {"remove a longer name", ODBC_REMOVE_DSN, Attributes({"DSN=" + longer}),
       ODBC_ERROR_INVALID_DSN, BadName(longer)},
      {"a long name given last", ODBC_CONFIG_DSN,
       Attributes({"DSN=" + name, "DSN=" + longer, "UID=eve"}), ODBC_ERROR_INVALID_DSN,
       BadName(longer)},
      {"server data source name", ODBC_CONFIG_DSN,
       Attributes({"DSN=" + name, "ServerDSN=" + std::string(33, 's')}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, BadName(std::string(33, 's'))},
      {"user id", ODBC_CONFIG_DSN, Attributes({"DSN=" + name, "UID=" + std::string(65, 'u')}),
       ODBC_ERROR_INVALID_DSN, BadName(std::string(65, 'u'))},
      {"server list", ODBC_CONFIG_DSN, Attributes({"DSN=" + name, "ServerName=" + servers}),
       ODBC_ERROR_INVALID_KEYWORD_VALUE, kBadList},
  });
  EXPECT_EQ(FileDsn(name), "");

  // Values that fill their fields exactly are taken whole.
  const std::string fits = "DSN=" + name;
  ASSERT_TRUE(Config(ODBC_CONFIG_DSN,
                     Attributes({fits, "DSN=" + longer, fits, "UID=" + std::string(64, 'u'),
                                 "ServerDSN=" + std::string(32, 's')})));
  Section expected = {
      {"Driver", kDriver}, {"ServerDSN", std::string(32, 's')}, {"UID", std::string(64, 'u')}};
  EXPECT_EQ(UserIni()[name], expected);
}

TEST_F(ConfigDsnTest, ServerEntriesAreStoredAsTheDriverReadsThem) {
  struct Row {
    const char* dsn;
    const char* given;
    const char* stored;
  };
  // localhost and 127.0.0.1 are one machine; on two ports they are two
  // servers that back each other up.
  const Row rows[] = {
      {"Two1", "127.0.0.1.17584,localhost.17583", "127.0.0.1.17584,localhost.17583"},
      {"Two2", "127.0.0.1:17584,localhost:17583", "127.0.0.1.17584,localhost.17583"},
      {"Two3", " 127.0.0.1 : 1583 ", "127.0.0.1.1583"},
      {"Two4", "127.0.0.1.1583,localhost:1583", "127.0.0.1.1583"},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(Config(ODBC_ADD_DSN, Attributes({std::string("DSN=") + row.dsn,
                                                 std::string("ServerName=") + row.given})))
        << row.given << ": " << LastError().text;
    EXPECT_EQ(UserIni()[row.dsn]["ServerName"], row.stored) << row.given;
  }
}

TEST_F(ConfigDsnTest, WithAWindowButNoDialogHostTheCallFailsWithTheReason) {
  int window = 0;
  setenv("VELTO_DIALOG_HOST", "none", 1);
  EXPECT_FALSE(Config(ODBC_ADD_DSN, Attributes({"DSN=Dialog"}), &window));
  InstallerError error = LastError();
  EXPECT_EQ(error.code, static_cast<DWORD>(ODBC_ERROR_INVALID_HWND));
  EXPECT_EQ(error.text,
            "The configuration dialog cannot be shown here (it needs a terminal). Give the data "
            "source's attributes without a window to set it up silently.");
  EXPECT_EQ(UserIni().count("Dialog"), 0u);
}

TEST(SetupLibrary, ExportsOnlyConfigDsnAndConfigureDlgProc) {
  std::set<std::string> names;
  FILE* pipe = popen(("nm -D --defined-only " + std::string(VEL_SETUP_PATH)).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, kind, name;
    // Weak and versioned entries of the runtime are the linker's, not ours.
    if (fields >> address >> kind >> name && kind == "T") names.insert(name);
  }
  pclose(pipe);
  EXPECT_EQ(names, (std::set<std::string>{"ConfigDSN", "ConfigureDlgProc"}));
}

}  // namespace

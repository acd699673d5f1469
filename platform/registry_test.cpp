#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "testing/registry_sandbox.h"

namespace {

using testing_registry::UseSandbox;

class PlatRegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseSandbox(); }

  static PlatRegKey* Root(PlatRegRoot root) { return PlatRegRootKey(root); }

  // The key, created; the test fails when it cannot be.
  static PlatRegKey* Create(PlatRegRoot root, const char* path) {
    PlatRegKey* key = nullptr;
    EXPECT_EQ(PlatRegCreateKey(Root(root), path, &key), kPlatRegOk) << path;
    return key;
  }

  static std::string Query(PlatRegKey* key, const char* name) {
    char buffer[256];
    uint32_t size = sizeof buffer;
    long rc = PlatRegQueryValue(key, name, buffer, &size);
    return rc == kPlatRegOk ? std::string(buffer) : "<rc " + std::to_string(rc) + ">";
  }

  static std::set<std::string> Subkeys(PlatRegKey* key) {
    std::set<std::string> names;
    for (uint32_t i = 0;; ++i) {
      char name[kPlatRegMaxKeyName + 1];
      uint32_t size = sizeof name;
      if (PlatRegEnumKey(key, i, name, &size) != kPlatRegOk) break;
      names.insert(name);
    }
    return names;
  }
};

TEST_F(PlatRegistryTest, HandEditedFilesAreRead) {
  // Written as a person might: CR LF line ends, stray lines, a value given
  // twice, untidy separators in a section name.
  std::filesystem::create_directories(UseSandbox().registry_dir);
  std::ofstream(UseSandbox().registry_dir + "/users.conf") << "junk before any section\r\n"
                                                              "[\\Hand\\\\Edited\\]\r\n"
                                                              "Name=first\r\n"
                                                              "this line holds no value\r\n"
                                                              "name=second\r\n"
                                                              "Spaced = kept as is \r\n"
                                                              "\r\n"
                                                              "[Hand\\Edited\\Deeper]\n"
                                                              "=the key's own value\n";
  PlatRegKey* key = nullptr;
  ASSERT_EQ(PlatRegOpenKey(Root(PlatRegRoot::kUsers), "hand\\edited", &key), kPlatRegOk);
  EXPECT_EQ(Query(key, "NAME"), "first");
  EXPECT_EQ(Query(key, "Spaced "), " kept as is ");
  EXPECT_EQ(Subkeys(key), std::set<std::string>{"Deeper"});
  PlatRegKey* deeper = nullptr;
  ASSERT_EQ(PlatRegOpenKey(key, "Deeper", &deeper), kPlatRegOk);
  EXPECT_EQ(Query(deeper, nullptr), "the key's own value");
  PlatRegCloseKey(deeper);
  PlatRegCloseKey(key);
}

TEST_F(PlatRegistryTest, QuerySizes) {
  PlatRegKey* key = Create(PlatRegRoot::kCurrentUser, "Software\\VelSizes");
  ASSERT_EQ(PlatRegSetValue(key, "V", "12345"), kPlatRegOk);
  uint32_t size = 0;
  EXPECT_EQ(PlatRegQueryValue(key, "V", nullptr, &size), kPlatRegOk);
  EXPECT_EQ(size, 6u);
  char buffer[8] = "#######";
  size = 5;
  EXPECT_EQ(PlatRegQueryValue(key, "V", buffer, &size), kPlatRegMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(buffer, "#######");  // untouched
  size = 6;
  EXPECT_EQ(PlatRegQueryValue(key, "V", buffer, &size), kPlatRegOk);
  EXPECT_STREQ(buffer, "12345");
  EXPECT_EQ(PlatRegQueryValue(key, "Other", buffer, &size), kPlatRegNotFound);

  char name[2];
  size = sizeof name;  // "V" and its NUL just fit
  EXPECT_EQ(PlatRegEnumValue(key, 0, name, &size), kPlatRegOk);
  EXPECT_EQ(size, 1u);
  size = 1;
  EXPECT_EQ(PlatRegEnumValue(key, 0, name, &size), kPlatRegMoreData);
  EXPECT_EQ(size, 2u);
  size = sizeof name;
  EXPECT_EQ(PlatRegEnumValue(key, 1, name, &size), kPlatRegNoMoreItems);
  PlatRegCloseKey(key);
}

TEST_F(PlatRegistryTest, TheInstallersKeysSitAmongTheOwnOnes) {
  PlatRegKey* own = Create(PlatRegRoot::kLocalMachine, "Software\\Velto\\Client");
  PlatRegCloseKey(own);
  PlatRegKey* software = nullptr;
  ASSERT_EQ(PlatRegOpenKey(Root(PlatRegRoot::kLocalMachine), "software", &software), kPlatRegOk);
  EXPECT_EQ(Subkeys(software), (std::set<std::string>{"Velto", "ODBC"}));
  PlatRegKey* odbc = nullptr;
  ASSERT_EQ(PlatRegOpenKey(software, "ODBC", &odbc), kPlatRegOk);
  EXPECT_EQ(Subkeys(odbc), (std::set<std::string>{"ODBC.INI", "ODBCINST.INI"}));

  PlatRegKey* drivers = Create(PlatRegRoot::kLocalMachine, "Software\\ODBC\\ODBCINST.INI");
  PlatRegKey* section = nullptr;
  ASSERT_EQ(PlatRegCreateKey(drivers, "VelDriver", &section), kPlatRegOk);
  ASSERT_EQ(PlatRegSetValue(section, "Driver", "/opt/velto/velclt32.so"), kPlatRegOk);
  EXPECT_TRUE(Subkeys(drivers).count("VelDriver"));
  // No values on the file's own key, no keys below a section.
  EXPECT_EQ(PlatRegSetValue(drivers, "Driver", "x"), kPlatRegAccessDenied);
  PlatRegKey* deeper = nullptr;
  EXPECT_EQ(PlatRegCreateKey(section, "Deeper", &deeper), kPlatRegAccessDenied);
  EXPECT_EQ(PlatRegOpenKey(section, "Deeper", &deeper), kPlatRegNotFound);
  // The installer's keys and the way to them cannot be deleted.
  EXPECT_EQ(PlatRegDeleteKey(odbc, "ODBCINST.INI"), kPlatRegAccessDenied);
  EXPECT_EQ(PlatRegDeleteKey(software, "ODBC"), kPlatRegAccessDenied);
  EXPECT_EQ(PlatRegDeleteKey(drivers, "VelDriver"), kPlatRegOk);
  EXPECT_EQ(PlatRegDeleteKey(drivers, "VelDriver"), kPlatRegNotFound);
  PlatRegCloseKey(section);
  PlatRegCloseKey(drivers);
  PlatRegCloseKey(odbc);
  PlatRegCloseKey(software);
}

TEST_F(PlatRegistryTest, RefusalsAndTheirCodes) {
  PlatRegKey* key = Create(PlatRegRoot::kCurrentUser, "Software\\VelRefusals\\Child");
  PlatRegKey* parent = nullptr;
  ASSERT_EQ(PlatRegOpenKey(Root(PlatRegRoot::kCurrentUser), "Software\\VelRefusals", &parent),
            kPlatRegOk);
  EXPECT_EQ(PlatRegDeleteKey(parent, nullptr), kPlatRegInvalidArgument);
  PlatRegKey* ignored = nullptr;
  EXPECT_EQ(PlatRegCreateKey(parent, std::string(kPlatRegMaxKeyName + 1, 'k').c_str(), &ignored),
            kPlatRegInvalidArgument);
  EXPECT_EQ(PlatRegCreateKey(parent, std::string(kPlatRegMaxKeyName, 'k').c_str(), &ignored),
            kPlatRegOk);
  PlatRegCloseKey(ignored);
  EXPECT_EQ(PlatRegCreateKey(parent, "bad\nname", &ignored), kPlatRegInvalidArgument);
  EXPECT_EQ(PlatRegSetValue(key, "V", nullptr), kPlatRegInvalidArgument);

  // A key with keys below it is deleted only after them.
  PlatRegKey* software = nullptr;
  ASSERT_EQ(PlatRegOpenKey(Root(PlatRegRoot::kCurrentUser), "Software", &software), kPlatRegOk);
  EXPECT_EQ(PlatRegDeleteKey(software, "VelRefusals"), kPlatRegAccessDenied);
  EXPECT_EQ(PlatRegDeleteKey(parent, "CHILD"), kPlatRegOk);

  // The current configuration is read only.
  PlatRegKey* config = Root(PlatRegRoot::kCurrentConfig);
  EXPECT_EQ(PlatRegCreateKey(config, "Software", &ignored), kPlatRegAccessDenied);
  EXPECT_EQ(PlatRegSetValue(config, "V", "x"), kPlatRegAccessDenied);
  PlatRegCloseKey(software);
  PlatRegCloseKey(parent);
  PlatRegCloseKey(key);
}

}  // namespace
